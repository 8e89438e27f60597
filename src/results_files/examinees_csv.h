#pragma once

#include <string>

#include "results/results.h"

namespace tl {

// One CSV row per examinee in record order: record, observed_composite,
// true_category_composite, observed_category, true_category, p_1 .. p_K,
// consistency, accuracy, false_positive, false_negative, error_variance.
// Built in one buffer with no per-field allocation, since a run may have a
// million examinees. Needs a run analysed with its tables.
std::string composeExamineesCsv(const Results& results);

}  // namespace tl
