#pragma once

#include <pybind11/pybind11.h>

#include "results/results.h"

namespace tlpy {

// examinees.csv's columns by its names and in its order, each a NumPy array:
// record, the composites, the categories (1 to K), one probability a category,
// the conditional indices, the error variance and CSEM and, with a conversion
// table, the scale score and its CSEM. Python adds the ID and the labels.
pybind11::list examineeColumns(const tl::Results& results);

}  // namespace tlpy
