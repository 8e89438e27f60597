#pragma once

#include <pybind11/pybind11.h>

#include "results/results.h"

namespace tlpy {

// comparison.csv's rows (or, with `differences`, comparison_differences.csv's)
// as a dict of its columns by its names, each a list: the cut None for an
// index over the whole scale. None for a run of one model.
pybind11::object comparisonColumns(const tl::Results& results, bool differences);

}  // namespace tlpy
