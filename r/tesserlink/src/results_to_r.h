#pragma once

#include <Rcpp.h>

#include "results/results.h"

namespace tlr {

// Every number of a run as plain R vectors and matrices, named as in the
// results files; R only arranges them into data frames.
Rcpp::List resultsToR(const tl::Results& results);

}  // namespace tlr
