#pragma once

#include <Rcpp.h>

#include <vector>

#include "core/control_card.h"
#include "input/memory_data_source.h"

namespace tlr {

// A run asked for from R: the control card its arguments stand for and each
// set's item scores, one matrix per set.
struct MemoryJob {
    tl::ControlCard card;
    std::vector<tl::ScoreMatrix> scores;
};

// `sets` is a list of lists(scores = numeric matrix, points, weight, label),
// already checked in R. The card is the one a control card with the same
// numbers would give, so that the library's limits and refusals apply alike.
MemoryJob jobFromR(const Rcpp::List& sets, const Rcpp::NumericVector& cuts,
                   const Rcpp::NumericVector& trueCuts, bool biasCorrection);

}  // namespace tlr
