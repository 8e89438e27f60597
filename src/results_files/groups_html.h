#pragma once

#include <string>
#include <utility>
#include <vector>

#include "results/results.h"

namespace tl {

// The results page's section on grouping levels: for each variable a table of
// its levels' overall indices (and their intervals after a bootstrap) and a
// figure of consistency and accuracy per level. Empty when no groups were
// asked for, so the page is then as it was.
std::string groupsSectionHtml(const Results& results);

// Each variable's figure of that section as a file of its own, named
// groups_VARIABLE.svg (its name with what a file name cannot hold as "_").
std::vector<std::pair<std::string, std::string>> groupFigureFiles(const Results& results);

}  // namespace tl
