#pragma once

#include <string>

#include "core/model_summary.h"

namespace tl {

// fit.csv: one row per bin of the model-fit check (its lowest and highest
// score, the expected and observed frequencies), then Pearson's chi-square,
// its degrees of freedom and p-value as rows of their own.
std::string composeModelFitCsv(const ModelFitSummary& fit);

}  // namespace tl
