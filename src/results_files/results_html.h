#pragma once

#include <string>

#include "results/results.h"

namespace tl {

// A self-contained results page: no script, no network, readable in print and
// at phone width. Numbers are rounded for reading; each table cell names its
// results.json value in a data-json attribute. Needs a run analysed with its
// tables.
std::string composeResultsHtml(const Results& results);

// The page's main table alone: the six indices overall and at each cut, with
// the bootstrap's spread after one (a notebook shows a run by it).
std::string composeIndicesHtml(const Results& results);

}  // namespace tl
