#pragma once

#include <pybind11/pybind11.h>

#include <memory>

#include "run/run_request.h"

namespace tlpy {

// The scores and card of cac(), as its Python side checked and arranged them:
// `sets` (each {"scores": a float64 matrix, one row an examinee, "points",
// "weight", "label"}), `cuts`, `true_cuts`, `bias_correction`, `labels` (the
// category labels; empty: none), `rows` and `ids` (each kept examinee's row of
// the data and its ID; `ids` empty: none), `groups` (None, or {"names",
// "cells", "labels", "min_group"}: per variable each examinee's value as text
// or None, and None or {"values", "names"} value labels) and `scale_raw` and
// `scale_values` (the conversion table; None: none). More sets than a card
// holds throw DetectedError, as a card's reader stops.
std::shared_ptr<tl::MemoryInput> memoryInputFromPython(const pybind11::dict& args);

}  // namespace tlpy
