#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "results/results.h"

namespace tl {

// The scale scores of a run that has them (Results::scale), for results.json:
// where the cuts are written, both values of each cut, the mean, the variance
// of the observed scale scores (divisor N), the mean error variance, the
// reliability and the CSEM rows by observed scale score.
nlohmann::ordered_json scaleDocument(const ScaleResults& scale);

// scale_csem.csv: scale_score,examinees,error_variance,csem.
std::string composeScaleCsemCsv(const ScaleResults& scale);

}  // namespace tl
