#include "results_files/scale_files.h"

#include "results_files/json_text.h"
#include "results_files/results_csv.h"

namespace tl {

namespace {

using Json = nlohmann::ordered_json;

Json cutsJson(const std::vector<ScaleCut>& cuts) {
    Json array = Json::array();
    for (const ScaleCut& cut : cuts) array.push_back({{"scale", cut.scale}, {"raw", cut.raw}});
    return array;
}

}  // namespace

Json scaleDocument(const ScaleResults& scale) {
    return {{"cuts_on", scale.plan.cutsOnScale ? "scale" : "raw"},
            {"observed_cuts", cutsJson(scale.plan.observedCuts)},
            {"true_cuts", cutsJson(scale.plan.trueCuts)},
            {"mean", scale.mean},
            {"sample_variance", scale.reliability.sampleVariance},
            {"average_error_variance", scale.reliability.averageErrorVariance},
            {"reliability", scale.reliability.reliability},
            {"csem", csemRows(scale.csem, "scale_score")}};
}

std::string composeScaleCsemCsv(const ScaleResults& scale) {
    return csemCsv(scale.csem, "scale_score");
}

}  // namespace tl
