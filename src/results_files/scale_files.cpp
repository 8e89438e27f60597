#include "results_files/scale_files.h"

#include "results_files/csv_text.h"

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
    Json csem = Json::array();
    for (const CsemRow& row : scale.csem) {
        csem.push_back({{"scale_score", row.score},
                        {"examinees", row.examinees},
                        {"error_variance", row.errorVariance},
                        {"csem", row.csem}});
    }
    return {{"cuts_on", scale.cutsOnScale ? "scale" : "raw"},
            {"observed_cuts", cutsJson(scale.observedCuts)},
            {"true_cuts", cutsJson(scale.trueCuts)},
            {"mean", scale.mean},
            {"sample_variance", scale.reliability.sampleVariance},
            {"average_error_variance", scale.reliability.averageErrorVariance},
            {"reliability", scale.reliability.reliability},
            {"csem", csem}};
}

std::string composeScaleCsemCsv(const ScaleResults& scale) {
    CsvText csv;
    for (const char* column : {"scale_score", "examinees", "error_variance", "csem"})
        csv.text(column);
    csv.endRow();
    for (const CsemRow& row : scale.csem) {
        csv.number(row.score);
        csv.integer(row.examinees);
        csv.number(row.errorVariance);
        csv.number(row.csem);
        csv.endRow();
    }
    return csv.take();
}

}  // namespace tl
