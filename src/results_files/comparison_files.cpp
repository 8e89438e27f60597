#include "results_files/comparison_files.h"

#include <limits>

#include "results_files/csv_text.h"

namespace tl {

namespace {

void cutField(CsvText& csv, std::int32_t cut) {
    if (cut > 0) {
        csv.integer(cut);
    } else {
        csv.text("");
    }
}

void spreadFields(CsvText& csv, const IndexSpread& s) {
    csv.number(s.se);
    csv.number(s.ciLow);
    csv.number(s.ciHigh);
}

}  // namespace

void visitComparisonRows(const ModelComparison& comparison, const ComparisonVisitor& each) {
    const bool spreads = comparison.replicates > 0;
    const IndexSpread none{};  // a model without spreads of its own shows zeros
    for (const ComparedModel& m : comparison.models) {
        for (std::size_t i = 0; i < comparison.indices.size(); ++i) {
            const IndexSpread* spread = nullptr;
            if (spreads) spread = i < m.spreads.size() ? &m.spreads[i] : &none;
            each({m, comparison.models.front(), comparison.indices[i], m.values[i], spread});
        }
    }
}

void visitComparisonDifferenceRows(const ModelComparison& comparison,
                                   const ComparisonVisitor& each) {
    const bool spreads = comparison.replicates > 0;
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    const IndexSpread undefined{nan, nan, nan, 0};
    for (std::size_t m = 1; m < comparison.models.size(); ++m) {
        const ComparedModel& model = comparison.models[m];
        for (std::size_t i = 0; i < comparison.indices.size(); ++i) {
            const IndexSpread* spread = nullptr;
            if (spreads)
                spread =
                    i < model.differenceSpreads.size() ? &model.differenceSpreads[i] : &undefined;
            each({model, comparison.models.front(), comparison.indices[i], model.differences[i],
                  spread});
        }
    }
}

ComparisonColumns comparisonColumns(const ModelComparison& comparison, bool differences) {
    ComparisonColumns c;
    c.spreads = comparison.replicates > 0;
    const auto add = [&c](const ComparisonRow& row) {
        c.model.push_back(row.model.name);
        c.kind.emplace_back(modelKindName(row.model.kind));
        c.method.emplace_back(modelMethodName(row.model.method));
        c.primary.push_back(row.primary.name);
        c.index.push_back(row.index.name);
        c.cut.push_back(row.index.cut);
        c.value.push_back(row.value);
        if (row.spread) {
            c.se.push_back(row.spread->se);
            c.ciLow.push_back(row.spread->ciLow);
            c.ciHigh.push_back(row.spread->ciHigh);
        }
    };
    if (differences)
        visitComparisonDifferenceRows(comparison, add);
    else
        visitComparisonRows(comparison, add);
    return c;
}

namespace {

// Either file: the models' own values, or the further models' differences
// from the primary, whose rows name the primary in place of kind and method.
std::string comparisonCsv(const ModelComparison& comparison, bool differences) {
    CsvText csv;
    const std::vector<const char*> leading =
        differences ? std::vector<const char*>{"model", "primary"}
                    : std::vector<const char*>{"model", "kind", "method"};
    for (const char* column : leading) csv.text(column);
    for (const char* column : {"index", "cut", differences ? "difference" : "value"})
        csv.text(column);
    if (comparison.replicates > 0)
        for (const char* column : {"se", "ci_low", "ci_high"}) csv.text(column);
    csv.endRow();
    const auto row = [&csv, differences](const ComparisonRow& r) {
        csv.text(r.model.name);
        if (differences) {
            csv.text(r.primary.name);
        } else {
            csv.text(modelKindName(r.model.kind));
            csv.text(modelMethodName(r.model.method));
        }
        csv.text(r.index.name);
        cutField(csv, r.index.cut);
        csv.number(r.value);
        if (r.spread) spreadFields(csv, *r.spread);
        csv.endRow();
    };
    if (differences) {
        visitComparisonDifferenceRows(comparison, row);
    } else {
        visitComparisonRows(comparison, row);
    }
    return csv.take();
}

}  // namespace

std::string composeComparisonCsv(const ModelComparison& comparison) {
    return comparisonCsv(comparison, false);
}

std::string composeComparisonDifferencesCsv(const ModelComparison& comparison) {
    return comparisonCsv(comparison, true);
}

nlohmann::ordered_json comparisonDocument(const ModelComparison& comparison) {
    using Json = nlohmann::ordered_json;
    const auto spread = [](const std::vector<IndexSpread>& spreads, std::size_t i) {
        if (i >= spreads.size()) return Json(nullptr);
        const IndexSpread& s = spreads[i];
        return Json{{"se", s.se},
                    {"ci_low", s.ciLow},
                    {"ci_high", s.ciHigh},
                    {"replicates_undefined", s.replicatesUndefined}};
    };
    Json models = Json::array();
    for (const ComparedModel& m : comparison.models) {
        Json indices = Json::array();
        for (std::size_t i = 0; i < comparison.indices.size(); ++i) {
            Json row = {{"index", comparison.indices[i].name},
                        {"cut", comparison.indices[i].cut > 0 ? Json(comparison.indices[i].cut)
                                                              : Json(nullptr)},
                        {"value", m.values[i]},
                        {"difference", m.differences[i]}};
            if (comparison.replicates > 0) {
                row["spread"] = spread(m.spreads, i);
                row["difference_spread"] = spread(m.differenceSpreads, i);
            }
            indices.push_back(std::move(row));
        }
        Json conditional = Json::array();
        for (const ConditionalPoint& p : m.conditionalAccuracy)
            conditional.push_back({{"score", p.score}, {"accuracy", p.accuracy}});
        models.push_back({{"name", m.name},
                          {"kind", modelKindName(m.kind)},
                          {"method", modelMethodName(m.method)},
                          {"indices", std::move(indices)},
                          {"conditional_accuracy", std::move(conditional)}});
    }
    return {{"primary", comparison.models.empty() ? "" : comparison.models.front().name},
            {"replicates", comparison.replicates},
            {"models", std::move(models)}};
}

}  // namespace tl
