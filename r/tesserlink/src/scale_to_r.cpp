#include "scale_to_r.h"

#include <cmath>

namespace tlr {

using Rcpp::_;

namespace {

Rcpp::List cutsToR(const std::vector<tl::ScaleCut>& cuts) {
    Rcpp::NumericVector scale(cuts.size()), raw(cuts.size());
    for (std::size_t j = 0; j < cuts.size(); ++j) {
        scale[j] = cuts[j].scale;
        raw[j] = cuts[j].raw;
    }
    return Rcpp::List::create(_["scale"] = scale, _["raw"] = raw);
}

}  // namespace

Rcpp::List scaleToR(const tl::Results& r) {
    const tl::ScaleResults& s = *r.scale;
    const std::span<const double> composite = r.examineeComposites();
    const std::size_t n = composite.size();
    Rcpp::NumericVector score(n), csem(n);
    for (std::size_t i = 0; i < n; ++i) {
        score[i] = s.scaleScoreOf(composite[i]);
        csem[i] = s.examineeCsem(i);
    }
    Rcpp::NumericVector rowScore(s.csem.size()), rowVariance(s.csem.size()), rowCsem(s.csem.size());
    Rcpp::IntegerVector rowExaminees(s.csem.size());
    for (std::size_t i = 0; i < s.csem.size(); ++i) {
        rowScore[i] = s.csem[i].score;
        rowExaminees[i] = s.csem[i].examinees;
        rowVariance[i] = s.csem[i].errorVariance;
        rowCsem[i] = s.csem[i].csem;
    }
    Rcpp::List out = Rcpp::List::create(
        _["cuts_on"] = s.plan.cutsOnScale ? "scale" : "raw",
        _["observed_cuts"] = cutsToR(s.plan.observedCuts),
        _["true_cuts"] = cutsToR(s.plan.trueCuts), _["mean"] = s.mean,
        _["sample_variance"] = s.reliability.sampleVariance,
        _["average_error_variance"] = s.reliability.averageErrorVariance,
        _["reliability"] = s.reliability.reliability,
        _["csem"] = Rcpp::List::create(_["scale_score"] = rowScore, _["examinees"] = rowExaminees,
                                       _["error_variance"] = rowVariance, _["csem"] = rowCsem));
    // Beside the examinees' rows only when those rows are the examinees, not
    // a model's nodes.
    if (r.unitWeight.empty()) {
        out.push_back(score, "scale_score");
        out.push_back(csem, "scale_csem");
    }
    if (r.bootstrap) {
        const tl::IndexSpread& b = r.bootstrap->scaleReliability;
        out.push_back(Rcpp::List::create(
                          _["se"] = b.se, _["ci_low"] = b.ciLow, _["ci_high"] = b.ciHigh,
                          _["replicates_undefined"] = static_cast<double>(b.replicatesUndefined)),
                      "reliability_spread");
    }
    return out;
}

std::optional<tl::ScaleTable> scaleFromR(SEXP raw, SEXP scale) {
    if (Rf_isNull(raw)) return std::nullopt;
    tl::ScaleTable table;
    table.source = "`scale`";
    table.raw = Rcpp::as<std::vector<double>>(raw);
    table.scale = Rcpp::as<std::vector<double>>(scale);
    for (std::size_t i = 0; i < table.raw.size(); ++i)
        table.lines.push_back(static_cast<std::int64_t>(i + 1));
    return table;
}

}  // namespace tlr
