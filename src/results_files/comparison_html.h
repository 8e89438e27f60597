#pragma once

#include <string>

#include "results/results.h"

namespace tl {

// The results page's section of the models compared in a run: each model's
// indices, their differences from the primary model, the two comparison
// figures and a link to each further model's own page. Empty without a
// comparison.
std::string comparisonSectionHtml(const Results& results);

}  // namespace tl
