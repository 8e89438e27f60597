#pragma once

#include <string>
#include <string_view>

#include "results/results.h"
#include "results_files/svg_plot.h"

namespace tl {

// The results page's figures of the models compared in a run. Both need
// results.comparison.

// Each model's conditional accuracy against the composite score, a line per
// model with a legend, and the run's observed cuts marked.
std::string comparisonAccuracyFigureSvg(const Results& results, SvgUse use = SvgUse::Page);

// The overall reliability, consistency, kappa and accuracy of each model as
// dots side by side within each index, each with its 95% interval after a
// bootstrap.
std::string comparisonIndicesFigureSvg(const Results& results, SvgUse use = SvgUse::Page);

// A compared index's name as readers see it ("kappa" -> "Kappa").
std::string comparedIndexLabel(std::string_view name);

// A model's name as the comparison's tables and legends show it: the primary
// one marked.
std::string comparedModelLabel(const ModelComparison& comparison, std::size_t model);

}  // namespace tl
