#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tl {

// Examinees of one item set grouped by their proportions: examinees whose K
// proportions are bitwise identical share one profile, so every quantity that
// depends on the proportions alone is computed once per profile.
class ProportionProfiles {
  public:
    ProportionProfiles(int scorePointCount, bool shareIdentical, std::size_t expectedExaminees);

    // Files the next examinee under the profile of these proportions.
    void addExaminee(std::span<const double> proportions);

    int scorePointCount() const { return k_; }
    std::size_t profileCount() const { return proportions_.size() / k_; }
    std::size_t examineeCount() const { return profileOf_.size(); }
    std::uint32_t profileOf(std::size_t examinee) const { return profileOf_[examinee]; }
    const std::vector<std::uint32_t>& profileOfExaminee() const { return profileOf_; }
    std::span<const double> proportions(std::size_t profile) const {
        return {proportions_.data() + profile * k_, static_cast<std::size_t>(k_)};
    }
    std::span<double> mutableProportions(std::size_t profile) {
        return {proportions_.data() + profile * k_, static_cast<std::size_t>(k_)};
    }

  private:
    std::uint64_t hashOf(std::span<const double> p) const;
    void grow();

    int k_;
    bool share_;
    std::vector<double> proportions_;  // profile-major, k_ per profile
    std::vector<std::uint32_t> profileOf_;
    std::vector<std::uint32_t> slots_;  // open addressing: profile + 1, 0 = empty
};

}  // namespace tl
