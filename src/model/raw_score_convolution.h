#pragma once

#include <span>

namespace tl {

// The raw-score distribution of an item set without enumerating count vectors.
//
// Under the multinomial model the raw score is the sum of n independent draws
// from the examinee's distribution over the set's score points, so its
// distribution is the n-fold convolution of that one-item distribution. The
// enumeration sums the terms n!/(c_1! .. c_k!) p_1^c_1 .. p_k^c_k of the count
// vectors with a given raw score, which is exactly the coefficient the
// convolution produces; the two differ only by rounding, and by the series
// log-factorial behind the enumeration's coefficients (it makes coefficients
// above about 1e9 differ from the exact integers by up to a few parts in 1e10).

// Whether the convolution can stand in for the enumeration: 2 to 15 score points,
// whole numbers in strictly ascending order, 0 or more items, and a raw-score span
// n (x_k - x_1) small enough to hold one probability per whole raw score in it.
bool convolutionApplies(int itemCount, std::span<const double> scorePoints);

// One examinee's probability of every entry of the raw-score list, as the
// enumeration defines it: proportions that are not greater than 0 (or not a
// number) are replaced by proportionFloor(); nothing is renormalised, so the
// entries add up to (p_1 + .. + p_k)^n when the list spans every reachable raw
// score. An entry that is not a whole number, or that no count vector reaches,
// gets 0; duplicated entries each get the full probability.
//
// Preconditions: convolutionApplies(itemCount, scorePoints); proportions has one
// value per score point; out has one slot per raw-score entry.
//
// The n convolutions are taken one item at a time (n k passes over the growing
// support): every operation multiplies or adds non-negative values, so each
// entry keeps a relative error of a few n k units in the last place. Repeated
// squaring does fewer passes but sums up to n (x_k - x_1) products per entry,
// and measured against an extended-precision reference it is both slower and
// less accurate on the sizes this program meets.
void convolveRawDistribution(int itemCount, std::span<const double> scorePoints,
                             std::span<const double> rawScores, std::span<const double> proportions,
                             std::span<double> out);

}  // namespace tl
