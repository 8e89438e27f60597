#include "model/set_loader.h"

#include <array>

#include "core/counted.h"
#include "core/errors.h"
#include "core/limits.h"
#include "input/record_reader.h"

namespace tl {

double addWeightedScores(double composite, double weight, std::span<const double> scores) {
    for (double score : scores) composite = composite + weight * score;
    return composite;
}

std::int32_t tallyProportions(std::span<const double> scorePoints, std::span<const double> scores,
                              std::span<double> proportions) {
    // At most fifteen points are held; a set with more is stopped right after
    // loading. Whole counts, counted without branches since item scores jump
    // unpredictably between points; exact equality decides a match.
    const std::size_t k = scorePoints.size();
    std::array<double, kMaxScorePoints> points{};
    std::array<std::int32_t, kMaxScorePoints> counts{};
    for (std::size_t m = 0; m < k; ++m) points[m] = scorePoints[m];
    std::int32_t matched = 0;
    for (double score : scores) {
        for (std::size_t m = 0; m < k; ++m) {
            const std::int32_t hit = score == points[m] ? 1 : 0;
            counts[m] += hit;
            matched += hit;
        }
    }
    const double n = static_cast<double>(scores.size());
    for (std::size_t m = 0; m < k; ++m) proportions[m] = static_cast<double>(counts[m]) / n;
    return static_cast<std::int32_t>(scores.size()) - matched;
}

SetLoader::SetLoader(const ItemSet& set, std::vector<double>& composite, bool shareProfiles,
                     std::size_t expectedExaminees)
    : set_(set),
      composite_(composite),
      profiles_(static_cast<int>(set.scorePoints.size()), shareProfiles, expectedExaminees),
      proportions_(set.scorePoints.size()) {}

void SetLoader::add(std::span<const double> scores, std::int64_t line) {
    if (scores.size() != static_cast<std::size_t>(set_.itemCount)) {
        throw InputError(
            "examinee " + std::to_string(examinee_ + 1) + " has " +
            counted(static_cast<std::int64_t>(scores.size()), "item score", "item scores") +
            "; the set has " + counted(set_.itemCount, "item", "items"));
    }
    if (examinee_ == composite_.size()) composite_.push_back(0.0);
    composite_[examinee_] = addWeightedScores(composite_[examinee_], set_.weight, scores);
    const std::int32_t unmatched = tallyProportions(set_.scorePoints, scores, proportions_);
    if (unmatched > 0) {
        if (unmatched_.count == 0) {
            unmatched_.firstRecord = static_cast<std::int64_t>(examinee_) + 1;
            unmatchedLine_ = line;
            for (std::size_t i = 0; i < scores.size(); ++i) {
                bool matches = false;
                for (double point : set_.scorePoints) matches = matches || scores[i] == point;
                if (!matches) {
                    unmatched_.firstItem = static_cast<std::int32_t>(i + 1);
                    unmatched_.firstValue = scores[i];
                    break;
                }
            }
        }
        unmatched_.count += unmatched;
        ++unmatched_.examinees;
    }
    profiles_.addExaminee(proportions_);
    ++examinee_;
}

ProportionProfiles loadItemSet(std::string_view text, const std::string& fileName,
                               const ItemSet& set, std::int32_t examineeCount,
                               std::vector<double>& observedComposite, bool shareProfiles) {
    RecordReader reader(text, fileName, set.itemCount);
    SetLoader loader(set, observedComposite, shareProfiles,
                     static_cast<std::size_t>(examineeCount > 0 ? examineeCount : 0));
    for (std::int32_t e = 0; e < examineeCount; ++e) {
        if (!reader.next()) throw InputError(reader.cutShortMessage(examineeCount));
        loader.add(reader.scores(), reader.recordLine());
    }
    return loader.takeProfiles();
}

}  // namespace tl
