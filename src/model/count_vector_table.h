#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace tl {

// Everything about an item set's multinomial enumeration that does not depend
// on the examinee, built once per set and shared by every examinee and pass.
//
// The count vectors (c_1 .. c_(k-1)) are visited in lexicographic order; each
// one that passes the exact raw-score test for an entry j of the raw-score list
// yields a term: the entry, the multinomial coefficient, and which of the set's
// distinct last counts c_k (derived from R_j) it uses. Summing each entry's
// terms in this order reproduces, double for double, the entry-by-entry
// enumeration that tests every vector against every raw score.
struct CountVectorTable {
    struct Term {
        std::uint32_t vector;     // position of the count vector in lexicographic order
        std::uint32_t entry;      // index into the raw-score list
        std::uint32_t lastCount;  // index into lastCounts
        double coefficient;       // exp(t) rounded half away from zero
    };

    int itemCount = 0;
    int scorePointCount = 0;  // k
    std::size_t entryCount = 0;
    std::vector<Term> terms;         // in vector order, then entry order
    std::vector<double> lastCounts;  // distinct derived c_k values, in order of first use
    // A derived c_k came out negative and its factorial was taken as ln 0!; the
    // run shows a notice for it.
    bool negativeFactorial = false;
};

// Builds the table for n items, score points x (ascending, 2 to 15 of them) and
// the raw-score list R.
CountVectorTable buildCountVectorTable(int itemCount, std::span<const double> scorePoints,
                                       std::span<const double> rawScores);

// Whether every term's coefficient is the exact multinomial n! / (c_1! .. c_k!)
// of its count vector, with c_k = n - c_1 - .. - c_(k-1) (as the derived c_k
// rounds, since the enumeration derives it in doubles). The coefficients come
// from a series log-factorial: small ones round to the integers, large ones
// (above about 1e9) may miss them by parts in 1e10. Only with exact ones do the
// enumeration and the convolution add up the same terms, and differ only by
// the rounding of their products and sums.
bool hasExactMultinomials(const CountVectorTable& table);

// Steps through count vectors in lexicographic order: c_1 slowest, c_(k-1) fastest,
// each inner count running from 0 to n minus the counts before it.
class CountVectorOdometer {
  public:
    CountVectorOdometer(int itemCount, int enumeratedCounts);
    const std::vector<int>& counts() const { return counts_; }
    // Moves to the next vector; false after the last one.
    bool advance();

  private:
    int n_;
    std::vector<int> counts_;
    int used_ = 0;  // sum of counts_
};

}  // namespace tl
