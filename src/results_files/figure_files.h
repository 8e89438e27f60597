#pragma once

#include <string>
#include <utility>
#include <vector>

#include "results/results.h"

namespace tl {

// Every figure of a run's results page as a standalone SVG file, each with
// its name: conditional.svg, histogram.svg, csem.svg; scale_csem.svg with a
// conversion table; theta.svg with the IRT model; model_fit.svg where the
// model reports its fit; sweep.svg and roc.svg with the what-if sweep;
// comparison_accuracy.svg and comparison_indices.svg where models are
// compared; groups_VARIABLE.svg per grouping variable. Each is
// drawn by the function that draws it on the page. The run must have been
// analysed with its tables.
std::vector<std::pair<std::string, std::string>> composeFigureFiles(const Results& results);

// Whether a figures folder may hold a file of this name: a figure, in SVG or
// PNG.
bool isFigureFileName(const std::string& name);

}  // namespace tl
