#pragma once

#include <string>

#include "results/results.h"

namespace tl {

// The results page's section on grouping levels: for each variable a table of
// its levels' overall indices (and their intervals after a bootstrap) and a
// figure of consistency and accuracy per level. Empty when no groups were
// asked for, so the page is then as it was.
std::string groupsSectionHtml(const Results& results);

}  // namespace tl
