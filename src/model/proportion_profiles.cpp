#include "model/proportion_profiles.h"

#include <cstring>

#include "core/bit_pattern.h"

namespace tl {

ProportionProfiles::ProportionProfiles(int scorePointCount, bool shareIdentical,
                                       std::size_t expectedExaminees)
    : k_(scorePointCount < 1 ? 1 : scorePointCount), share_(shareIdentical) {
    profileOf_.reserve(expectedExaminees);
    if (share_) slots_.assign(1024, 0);
}

std::uint64_t ProportionProfiles::hashOf(std::span<const double> p) const {
    std::uint64_t h = 0x9E3779B97F4A7C15ULL;
    for (double value : p) {
        h ^= bitsOfDouble(value);
        h *= 0xBF58476D1CE4E5B9ULL;
        h ^= h >> 31;
    }
    return h;
}

void ProportionProfiles::grow() {
    std::vector<std::uint32_t> bigger(slots_.size() * 2, 0);
    const std::size_t mask = bigger.size() - 1;
    for (std::uint32_t entry : slots_) {
        if (entry == 0) continue;
        std::size_t slot = hashOf(proportions(entry - 1)) & mask;
        while (bigger[slot] != 0) slot = (slot + 1) & mask;
        bigger[slot] = entry;
    }
    slots_.swap(bigger);
}

void ProportionProfiles::addExaminee(std::span<const double> p) {
    const std::size_t bytes = static_cast<std::size_t>(k_) * sizeof(double);
    if (share_) {
        const std::size_t mask = slots_.size() - 1;
        std::size_t slot = hashOf(p) & mask;
        while (slots_[slot] != 0) {
            const std::uint32_t profile = slots_[slot] - 1;
            if (std::memcmp(proportions(profile).data(), p.data(), bytes) == 0) {
                profileOf_.push_back(profile);
                return;
            }
            slot = (slot + 1) & mask;
        }
        const auto profile = static_cast<std::uint32_t>(profileCount());
        slots_[slot] = profile + 1;
        proportions_.insert(proportions_.end(), p.begin(), p.end());
        profileOf_.push_back(profile);
        if (profileCount() * 2 > slots_.size()) grow();
        return;
    }
    const auto profile = static_cast<std::uint32_t>(profileCount());
    proportions_.insert(proportions_.end(), p.begin(), p.end());
    profileOf_.push_back(profile);
}

}  // namespace tl
