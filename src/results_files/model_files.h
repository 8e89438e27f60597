#pragma once

#include <string>

#include "core/model_summary.h"
#include "results/results.h"

namespace tl {

// fit.csv: one row per bin of the model-fit check (its lowest and highest
// score, the expected and observed frequencies), then Pearson's chi-square,
// its degrees of freedom and p-value, the largest difference of the two
// cumulative distributions, and whether the chi-square is descriptive only
// (the model fitted no parameter to the scores), as rows of their own.
std::string composeModelFitCsv(const ModelFitSummary& fit);

// model_conditional.csv: the model's own conditional rows, "tau" rows across
// the true scores then "score" rows for each score on the model's scale.
std::string composeModelConditionalCsv(const Results& results);

// examinees.csv of a model whose units are not the examinees: each
// examinee's observed composite, the score the model gave it, and the
// posterior values of that score's row.
std::string composeModelExamineesCsv(const Results& results);

}  // namespace tl
