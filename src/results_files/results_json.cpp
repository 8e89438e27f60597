#include "results_files/results_json.h"

#include <array>

#include "core/version.h"
#include "results_files/category_names.h"
#include "results_files/comparison_files.h"
#include "results_files/groups_results.h"
#include "results_files/json_text.h"
#include "results_files/scale_files.h"
#include "results_files/sweep_files.h"
#include "results_files/tables_of.h"

namespace tl {

namespace {

using Json = nlohmann::ordered_json;

template <class Values, std::size_t N, class Field>
void addFields(Json& object, const Values& values, const std::array<Field, N>& fields,
               std::size_t count = N) {
    for (std::size_t f = 0; f < count; ++f)
        object[std::string(fields[f].key)] = values.*fields[f].value;
}

Json spread(const IndexSpread& s) {
    return {{"se", s.se},
            {"ci_low", s.ciLow},
            {"ci_high", s.ciHigh},
            {"replicates_undefined", s.replicatesUndefined}};
}

template <class Spreads, std::size_t N, class Field>
void addSpreads(Json& object, const Spreads& spreads, const std::array<Field, N>& fields,
                std::size_t count = N) {
    for (std::size_t f = 0; f < count; ++f)
        object[std::string(fields[f].key)] = spread(spreads.*fields[f].spread);
}

Json margins(const TableMargins& m) {
    return {{"rows", m.rows}, {"columns", m.columns}, {"total", m.total}};
}

void addIndices(Json& object, const IndexSet& indices) {
    for (const IndexField& field : kIndexFields)
        object[std::string(field.key)] = indices.*field.value;
}

Json spreads(const IndexSetSpread& set) {
    Json object = Json::object();
    for (const IndexField& field : kIndexFields) {
        const IndexSpread& s = set.*field.spread;
        object[std::string(field.key)] = spread(s);
    }
    return object;
}

Json itemSets(const ControlCard& card, const RunLabels& labels) {
    Json sets = Json::array();
    for (std::size_t s = 0; s < card.itemSets.size(); ++s) {
        const ItemSet& set = card.itemSets[s];
        sets.push_back({{"weight", set.weight},
                        {"items", set.itemCount},
                        {"score_points", set.scorePoints},
                        {"data_file", set.dataFile}});
        if (s < labels.setNames.size() && !labels.setNames[s].empty())
            sets.back()["name"] = labels.setNames[s];
    }
    return sets;
}

// The table's missing responses and what became of them.
Json tableSummary(const TableSummary& table) {
    Json sets = Json::array();
    for (const SetMissing& set : table.sets) {
        sets.push_back({{"missing_cells", set.missingCells},
                        {"missing_code_cells", set.codedCells},
                        {"scored_as_missing_score", set.scoredCells},
                        {"reverse_keyed_cells", set.reversedCells}});
    }
    return {{"file", table.file},
            {"rows", table.rows},
            {"omitted_examinees", table.omittedExaminees},
            {"duplicate_ids", table.duplicateIds},
            {"item_sets", sets}};
}

// Which model ran, its settings and findings, and its notes; written for
// the models beside the multinomial, whose results files are as they were.
Json modelDocument(const ModelSummary& model) {
    Json doc = {{"kind", std::string(modelKindName(model.kind))},
                {"method", std::string(modelMethodName(model.method))}};
    for (const ModelFact& fact : model.facts) {
        if (fact.isNumber)
            doc[fact.key] = fact.number;
        else
            doc[fact.key] = fact.text;
    }
    doc["notes"] = model.notes;
    return doc;
}

Json fitDocument(const ModelFitSummary& fit) {
    Json bins = Json::array();
    for (const ModelFitBin& bin : fit.bins)
        bins.push_back({{"first_score", bin.first},
                        {"last_score", bin.last},
                        {"expected", bin.expected},
                        {"observed", bin.observed}});
    return {{"bins", bins},
            {"chi2", fit.chi2},
            {"df", fit.df},
            {"p", fit.p},
            {"largest_cdf_difference", fit.largestCdfDifference},
            {"descriptive", fit.descriptive}};
}

Json sweepSpreadDocument(const SweepSpread& s) {
    Json rows = Json::array();
    for (const SweepRowSpread& row : s.rows) {
        Json r = spreads(row.indices);
        addSpreads(r, row.diagnostics, kCutDiagnosticsFields);
        r["share_above"] = spread(row.shareAbove);
        rows.push_back(std::move(r));
    }
    Json targets = Json::array();
    for (const IndexSpread& t : s.targetCuts) targets.push_back(spread(t));
    return {{"rows", rows},
            {"best_youden_cut", spread(s.bestYoudenCut)},
            {"best_accuracy_cut", spread(s.bestAccuracyCut)},
            {"targets", targets},
            {"auc", spread(s.auc)}};
}

Json sweepDocument(const CutSweep& sweep, const SweepSpread* spread) {
    Json rows = Json::array();
    for (const SweepRow& row : sweep.rows) {
        Json r = {{"cut", row.cut}};
        addIndices(r, row.indices);
        addFields(r, row.diagnostics, kCutDiagnosticsFields);
        r["share_above"] = row.shareAbove;
        rows.push_back(std::move(r));
    }
    Json targets = Json::array();
    for (const SweepTarget& target : sweep.targets)
        targets.push_back({{"index", target.index},
                           {"value", target.value},
                           {"cut", sweepCutOf(sweep, target.row)}});
    Json roc = Json::array();
    for (const RocPoint& point : sweep.roc)
        roc.push_back(
            {{"false_positive_rate", point.falsePositiveRate}, {"sensitivity", point.sensitivity}});
    Json doc = {{"rows", rows},
                {"best_youden_cut", sweepCutOf(sweep, sweep.bestYouden)},
                {"best_accuracy_cut", sweepCutOf(sweep, sweep.bestAccuracy)},
                {"targets", targets},
                {"roc", roc},
                {"auc", sweep.auc}};
    if (sweep.trueCut) doc["true_cut"] = *sweep.trueCut;
    if (spread) doc["bootstrap"] = sweepSpreadDocument(*spread);
    return doc;
}

}  // namespace

Json resultsDocument(const Results& results) {
    const ClassificationTables& t = tablesOf(results);
    const Classification& c = results.classification;
    const ControlCard& card = results.card;
    const auto k = static_cast<std::size_t>(results.categoryCount());

    Json doc;
    doc["program"] = {{"name", kProgramName}, {"version", kProgramVersion}};
    if (!results.labels.title.empty()) doc["title"] = results.labels.title;
    doc["examinees"] = results.examineeCount;
    doc["categories"] = results.categoryCount();
    if (hasCategoryLabels(results)) doc["labels"] = results.labels.categoryLabels;
    if (results.model.kind != ModelKind::Multinomial) doc["model"] = modelDocument(results.model);
    if (results.model.fit) doc["fit"] = fitDocument(*results.model.fit);
    if (results.model.correctedFit) doc["corrected_fit"] = fitDocument(*results.model.correctedFit);
    doc["observed_cuts"] = card.observedCuts;
    doc["true_cuts"] = card.trueCuts;
    doc["bias_correction"] = results.biasCorrected;
    doc["item_sets"] = itemSets(card, results.labels);
    doc["composite"] = {{"mean", t.composite.mean},
                        {"variance", t.composite.variance},
                        {"sd", t.composite.sd},
                        {"min", t.composite.min},
                        {"max", t.composite.max}};
    doc["reliability"] = {{"sample_variance", results.reliability.sampleVariance},
                          {"average_error_variance", results.reliability.averageErrorVariance},
                          {"reliability", results.reliability.reliability}};
    Json overall = Json::object();
    addIndices(overall, c.overall);
    doc["overall"] = overall;
    doc["category_counts"] = {{"observed", t.observedCounts}, {"true", t.trueCounts}};
    doc["expected_proportions"] = c.categoryMarginal;

    Json cuts = Json::array();
    for (std::size_t cut = 0; cut < t.cuts.size(); ++cut) {
        Json row = {{"cut", cut + 1},
                    {"observed_cut", card.observedCuts[cut]},
                    {"true_cut", card.trueCuts[cut]}};
        addIndices(row, t.cuts[cut]);
        row["csem"] = t.cutCsem[cut];
        addFields(row, t.precision.cuts[cut], kCutDiagnosticsFields);
        cuts.push_back(row);
    }
    doc["cuts"] = cuts;
    Json perCategory = Json::array();
    for (std::size_t category = 0; category < k; ++category) {
        Json row = {{"category", category + 1}, {"label", categoryName(results, category)}};
        addFields(row, t.precision.categories[category], kCategoryDiagnosticsFields);
        perCategory.push_back(row);
    }
    doc["per_category"] = perCategory;
    const std::size_t agreementCount = agreementFieldCount(results.categoryCount());
    Json agreement = Json::object();
    addFields(agreement, t.precision.agreement, kAgreementFields, agreementCount);
    doc["agreement"] = agreement;
    doc["csem"] = csemRows(t.csem, "score");
    doc["true_by_observed"] = squareRows(t.trueByObserved, k);
    doc["true_by_observed_margins"] = margins(t.trueByObservedMargins);
    doc["consistency_table"] = squareRows(t.consistencyTable, k);
    doc["consistency_table_margins"] = margins(t.consistencyMargins);

    Json conditional = Json::array();
    for (const ConditionalRow& row : t.conditional) {
        conditional.push_back({{"score", row.score},
                               {"examinees", row.examinees},
                               {"consistency", row.consistency},
                               {"accuracy", row.accuracy},
                               {"probabilities", row.probabilities},
                               {"false_positive", row.falsePositive},
                               {"false_negative", row.falseNegative},
                               {"error_variance", row.errorVariance},
                               {"csem", row.csem}});
    }
    doc["conditional"] = conditional;

    if (results.bootstrap) {
        const BootstrapSummary& b = *results.bootstrap;
        Json perCut = Json::array();
        for (std::size_t cut = 0; cut < b.cuts.size(); ++cut) {
            Json row = spreads(b.cuts[cut]);
            addSpreads(row, b.cutDiagnostics[cut], kCutDiagnosticsFields);
            perCut.push_back(row);
        }
        Json categorySpreads = Json::array();
        for (const CategoryDiagnosticsSpread& category : b.categories) {
            Json row = Json::object();
            addSpreads(row, category, kCategoryDiagnosticsFields);
            categorySpreads.push_back(row);
        }
        Json agreementSpreads = Json::object();
        addSpreads(agreementSpreads, b.agreement, kAgreementFields, agreementCount);
        doc["bootstrap"] = {{"replicates", b.replicates},          {"seed", b.seed},
                            {"overall", spreads(b.overall)},       {"cuts", perCut},
                            {"per_category", categorySpreads},     {"agreement", agreementSpreads},
                            {"reliability", spread(b.reliability)}};
        if (results.scale) doc["bootstrap"]["scale_reliability"] = spread(b.scaleReliability);
    }
    if (results.table) doc["table"] = tableSummary(*results.table);
    if (!results.groups.empty()) doc["groups"] = groupsJson(results);
    if (results.scale) doc["scale"] = scaleDocument(*results.scale);
    if (results.sweep)
        doc["sweep"] = sweepDocument(*results.sweep, results.bootstrap && results.bootstrap->sweep
                                                         ? &*results.bootstrap->sweep
                                                         : nullptr);
    if (results.comparison) doc["comparison"] = comparisonDocument(*results.comparison);
    return doc;
}

std::string composeResultsJson(const Results& results) {
    return dumpJson(resultsDocument(results));
}

}  // namespace tl
