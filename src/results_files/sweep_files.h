#pragma once

#include <string>

#include "classify/cut_sweep.h"

namespace tl {

// sweep.csv: one row per possible cut (the cut, the six indices, the five
// diagnostic statistics and the share of examinees at or above it), then the
// best cuts, each target's lowest cut reaching it, the ROC curve's area and
// any fixed true cut, as rows of a table of their own.
std::string composeSweepCsv(const CutSweep& sweep);

// The cut of a sweep's row, or NaN for none.
double sweepCut(const CutSweep& sweep, const std::optional<std::size_t>& row);

}  // namespace tl
