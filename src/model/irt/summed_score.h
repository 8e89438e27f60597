#pragma once

#include <span>
#include <vector>

#include "core/item_parameters.h"

namespace tl::irt {

// The distribution of an item set's raw score at one ability, by the
// Lord-Wingersky recursion: items are added one at a time, and the probability
// of each achievable sum after item j is the sum over its categories k of
// (the probability of sum - x_k after j - 1 items) P_j(k | theta).
//
// Every item of the set has one category per score point; category k scores
// scorePoints[k]. The result has one slot per entry of `rawScores`, the whole
// numbers minRaw .. maxRaw in order. A sum that is not one of them (a sum that
// is not whole, with score points that are not) adds nothing, as under the
// multinomial model; with whole score points and rawScores spanning every
// achievable sum the slots add up to 1 up to rounding.
//
// Score points that are not whole are summed exactly as multiples of 1/L, L
// the least whole number up to 1000 that makes every point whole; points with
// no such L (none of which a table of scores holds) throw std::invalid_argument.

// Working storage reused from call to call: once grown to a set's size it is
// not allocated again.
struct SummedScoreScratch {
    std::vector<double> sums;
    std::vector<double> categories;
};

void setScoreDistribution(std::span<const ItemParameters* const> items,
                          std::span<const double> scorePoints, double D, double theta,
                          std::span<const double> rawScores, std::span<double> out,
                          SummedScoreScratch& scratch);

std::vector<double> setScoreDistribution(std::span<const ItemParameters* const> items,
                                         std::span<const double> scorePoints, double D,
                                         double theta, std::span<const double> rawScores);

}  // namespace tl::irt
