#pragma once

#include <string>

#include "results/results.h"
#include "results_files/svg_plot.h"

namespace tl {

// The results page's figures of the what-if sweep. Both need results.sweep.

// Accuracy and consistency with each possible cut as the only cut, against
// the cut, with the run's own observed cuts marked.
std::string sweepFigureSvg(const Results& results, SvgUse use = SvgUse::Page);

// The ROC curve: sensitivity against 1 - specificity over the cuts, with the
// chance diagonal and the area under the curve.
std::string rocFigureSvg(const Results& results, SvgUse use = SvgUse::Page);

}  // namespace tl
