#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/control_card.h"
#include "core/data_findings.h"
#include "input/data_source.h"
#include "model/proportion_profiles.h"

namespace tl {

// The examinee's observed composite after this set: the weighted item scores
// added to it one by one, in item order.
double addWeightedScores(double composite, double weight, std::span<const double> scores);

// The share of the n items whose score equals each score point exactly, into
// `proportions`; returns how many scores matched no point.
std::int32_t tallyProportions(std::span<const double> scorePoints, std::span<const double> scores,
                              std::span<double> proportions);

// One set's records turned into the examinees' observed proportions, grouped
// into profiles, with each examinee's weighted scores added to the composite.
class SetLoader {
  public:
    // `composite` holds one running total per examinee; when it is shorter than
    // the records (the first set of the first pass) it grows from 0.
    SetLoader(const ItemSet& set, std::vector<double>& composite, bool shareProfiles,
              std::size_t expectedExaminees);

    // One examinee's scores; `line` is where the record begins in its file (0: none).
    void add(std::span<const double> scores, std::int64_t line = 0);

    ProportionProfiles& profiles() { return profiles_; }
    const UnmatchedScores& unmatched() const { return unmatched_; }
    std::int64_t unmatchedLine() const { return unmatchedLine_; }
    ProportionProfiles takeProfiles() { return std::move(profiles_); }

  private:
    const ItemSet& set_;
    std::vector<double>& composite_;
    ProportionProfiles profiles_;
    std::vector<double> proportions_;
    UnmatchedScores unmatched_;
    std::int64_t unmatchedLine_ = 0;
    std::size_t examinee_ = 0;
};

// Reads the first `examineeCount` records of a data file's text through a
// SetLoader: the composite gets each examinee's weighted scores and the
// examinees' profiles are returned.
ProportionProfiles loadItemSet(std::string_view text, const std::string& fileName,
                               const ItemSet& set, std::int32_t examineeCount,
                               std::vector<double>& observedComposite, bool shareProfiles);

}  // namespace tl
