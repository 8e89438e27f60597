#pragma once

#include <string>

#include "results/results.h"
#include "results_files/svg_plot.h"

namespace tl {

// The results page's figures of an error model other than the multinomial.

// Conditional consistency and accuracy against ability, with the true cuts on
// ability: a mark per distinct examinee ability (summed-p, rudner-p), or lines
// through the population's quadrature nodes (summed-d, rudner-d). Needs an
// IRT run (Results::theta not empty).
std::string thetaFigureSvg(const Results& results, SvgUse use = SvgUse::Page);

// The observed number of examinees in each score bin of the model's fit (bars)
// and the number the model expects (a line), with the chi-square, its degrees
// of freedom and p in the description. Needs results.model.fit.
std::string modelFitFigureSvg(const Results& results, SvgUse use = SvgUse::Page);

}  // namespace tl
