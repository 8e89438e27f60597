#pragma once

#include <Rcpp.h>

#include <optional>

#include "core/scale_table.h"
#include "results/results.h"

namespace tlr {

// A run's scale scores as plain R vectors, named as in results.json's `scale`,
// with each examinee's scale score and scale CSEM, and the scale reliability's
// bootstrap spread when there is one.
Rcpp::List scaleToR(const tl::Results& results);

// The conversion table of cac()'s `scale` (a data frame's raw and scale
// columns, checked in R), its rows numbered as lines; none when `raw` is NULL.
std::optional<tl::ScaleTable> scaleFromR(SEXP raw, SEXP scale);

}  // namespace tlr
