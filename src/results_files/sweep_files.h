#pragma once

#include <string>

#include "classify/bootstrap_summary.h"
#include "classify/cut_sweep.h"

namespace tl {

// sweep.csv: one row per possible cut (the cut, the six indices, the five
// diagnostic statistics and the share of examinees at or above it), then the
// best cuts, each target's lowest cut reaching it, the ROC curve's area and
// any fixed true cut, as rows of a table of their own. After a bootstrap
// (`spread` not null) each row gains each value's standard error ("_se"), and
// the best cuts, targets and area their standard error and 95% interval.
std::string composeSweepCsv(const CutSweep& sweep, const SweepSpread* spread = nullptr);

}  // namespace tl
