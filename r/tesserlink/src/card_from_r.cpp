#include "card_from_r.h"

#include <algorithm>
#include <string>

#include "core/errors.h"
#include "core/limits.h"
#include "core/messages.h"

namespace tlr {

namespace {

tl::ItemSet itemSetFromR(const Rcpp::List& set, const Rcpp::NumericMatrix& scores) {
    const Rcpp::NumericVector points = set["points"];
    tl::ItemSet item;
    item.weight = Rcpp::as<double>(set["weight"]);
    item.itemCount = scores.ncol();
    item.scorePointCount = static_cast<std::int32_t>(points.size());
    // The card holds fifteen points at most and the last one apart, as read.
    const auto kept = std::min<R_xlen_t>(points.size(), tl::kMaxScorePoints);
    item.scorePoints.assign(points.begin(), points.begin() + kept);
    item.highestScorePoint = points.size() > 0 ? points[points.size() - 1] : 0.0;
    item.dataFile = Rcpp::as<std::string>(set["label"]);
    return item;
}

// R holds a matrix column by column; the library takes one examinee's scores
// after another.
tl::ScoreMatrix rowMajor(const Rcpp::NumericMatrix& m) {
    tl::ScoreMatrix out;
    out.rows = m.nrow();
    out.columns = m.ncol();
    out.values.resize(static_cast<std::size_t>(m.nrow()) * static_cast<std::size_t>(m.ncol()));
    for (int r = 0; r < m.nrow(); ++r) {
        for (int c = 0; c < m.ncol(); ++c) {
            out.values[static_cast<std::size_t>(r) * out.columns + c] = m(r, c);
        }
    }
    return out;
}

}  // namespace

MemoryJob jobFromR(const Rcpp::List& sets, const Rcpp::NumericVector& cuts,
                   const Rcpp::NumericVector& trueCuts, bool biasCorrection) {
    MemoryJob job;
    tl::ControlCard& card = job.card;
    card.setCount = static_cast<std::int32_t>(sets.size());
    // The reader stops a card at this count before it reads any set.
    if (card.setCount > tl::kMaxItemSets) {
        throw tl::DetectedError(tl::messages::tooManyItemSets(), tl::FindingCode::TooManyItemSets);
    }
    for (R_xlen_t s = 0; s < sets.size(); ++s) {
        const Rcpp::List set = sets[s];
        const Rcpp::NumericMatrix scores = set["scores"];
        card.itemSets.push_back(itemSetFromR(set, scores));
        job.scores.push_back(rowMajor(scores));
    }
    card.categoryCount = static_cast<std::int32_t>(cuts.size()) + 1;
    card.observedCuts.assign(cuts.begin(), cuts.end());
    card.trueCuts.assign(trueCuts.begin(), trueCuts.end());
    card.conditionalResults = 0;
    card.biasCorrection = biasCorrection ? 1 : 0;
    return job;
}

}  // namespace tlr
