#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tl {

// One item set as the control card gives it.
struct ItemSet {
    double weight = 0.0;
    std::int32_t itemCount = 0;
    std::int32_t scorePointCount = 0;
    std::vector<double> scorePoints;  // the first fifteen at most; a set with more is stopped
    double highestScorePoint = 0.0;   // the last value of the list, even beyond fifteen
    std::string dataFile;             // as read, trailing blanks removed
};

// What a reverse-keyed item's score is turned into: the set's lowest plus its
// highest score point, less the score.
inline double reverseKeySum(const ItemSet& set) {
    return set.scorePoints.front() + set.scorePoints.back();
}

// Whether score points rise: each above the one before, so each listed once.
inline bool scorePointsRise(const std::vector<double>& points) {
    for (std::size_t k = 1; k < points.size(); ++k) {
        if (!(points[k - 1] < points[k])) return false;
    }
    return true;
}

// The control card as read, nothing derived.
struct ControlCard {
    std::int32_t setCount = 0;
    std::vector<ItemSet> itemSets;
    std::int32_t categoryCount = 0;
    std::vector<double> observedCuts;
    std::vector<double> trueCuts;
    std::int32_t conditionalResults = 0;
    std::string outputFile;
    std::int32_t biasCorrection = 0;
};

}  // namespace tl
