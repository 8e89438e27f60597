#include "results_files/groups_results.h"

#include <array>

#include "results_files/csv_text.h"
#include "results_files/json_text.h"
#include "results_files/tables_of.h"

namespace tl {

namespace {

using Json = nlohmann::ordered_json;

Json spread(const IndexSpread& s) {
    return {{"se", s.se},
            {"ci_low", s.ciLow},
            {"ci_high", s.ciHigh},
            {"replicates_undefined", s.replicatesUndefined}};
}

Json indexObject(const IndexSet& indices) {
    Json object = Json::object();
    for (const IndexField& field : kIndexFields)
        object[std::string(field.key)] = indices.*field.value;
    return object;
}

Json spreadObject(const IndexSetSpread& spreads) {
    Json object = Json::object();
    for (const IndexField& field : kIndexFields)
        object[std::string(field.key)] = spread(spreads.*field.spread);
    return object;
}

const GroupLevelSpread* spreadsOf(const Results& results, std::size_t level) {
    if (!results.bootstrap || results.bootstrap->groups.size() <= level) return nullptr;
    return &results.bootstrap->groups[level];
}

}  // namespace

Json groupsJson(const Results& results) {
    const auto k = static_cast<std::size_t>(results.categoryCount());
    const ControlCard& card = results.card;
    Json groups = Json::array();
    for (std::size_t g = 0; g < results.groups.size(); ++g) {
        const GroupLevel& level = results.groups[g];
        Json cuts = Json::array();
        for (std::size_t c = 0; c < level.indices.cuts.size(); ++c) {
            Json row = {{"cut", c + 1},
                        {"observed_cut", card.observedCuts[c]},
                        {"true_cut", card.trueCuts[c]}};
            for (const IndexField& field : kIndexFields)
                row[std::string(field.key)] = level.indices.cuts[c].*field.value;
            for (const CutDiagnosticsField& field : kCutDiagnosticsFields)
                row[std::string(field.key)] = level.indices.cutDiagnostics[c].*field.value;
            cuts.push_back(row);
        }
        Json object = {
            {"variable", level.variable},
            {"level", level.level},
            {"examinees", level.examinees},
            {"small", level.small},
            {"overall", indexObject(level.indices.overall)},
            {"cuts", cuts},
            {"category_counts", {{"observed", level.observedCounts}, {"true", level.trueCounts}}},
            {"true_by_observed", squareRows(level.trueByObserved, k)}};
        if (const GroupLevelSpread* s = spreadsOf(results, g)) {
            Json perCut = Json::array();
            for (std::size_t c = 0; c < s->cuts.size(); ++c) {
                Json row = spreadObject(s->cuts[c]);
                for (const CutDiagnosticsField& field : kCutDiagnosticsFields)
                    row[std::string(field.key)] = spread(s->cutDiagnostics[c].*field.spread);
                perCut.push_back(row);
            }
            object["bootstrap"] = {{"overall", spreadObject(s->overall)}, {"cuts", perCut}};
        }
        groups.push_back(object);
    }
    return groups;
}

void visitGroupIndices(const Results& results, const GroupIndexVisitor& each) {
    for (std::size_t g = 0; g < results.groups.size(); ++g) {
        const GroupIndices& level = results.groups[g].indices;
        const GroupLevelSpread* spreads = spreadsOf(results, g);
        for (const IndexField& field : kIndexFields) {
            each(g, field.key, 0, level.overall.*field.value,
                 spreads ? &(spreads->overall.*field.spread) : nullptr);
        }
        for (std::size_t c = 0; c < level.cuts.size(); ++c) {
            for (const IndexField& field : kIndexFields) {
                each(g, field.key, c + 1, level.cuts[c].*field.value,
                     spreads ? &(spreads->cuts[c].*field.spread) : nullptr);
            }
            for (const CutDiagnosticsField& field : kCutDiagnosticsFields) {
                each(g, field.key, c + 1, level.cutDiagnostics[c].*field.value,
                     spreads ? &(spreads->cutDiagnostics[c].*field.spread) : nullptr);
            }
        }
    }
}

std::string composeGroupsCsv(const Results& results) {
    const bool bootstrapped = results.bootstrap.has_value();
    CsvText csv;
    for (const char* column : {"variable", "level", "examinees", "small", "index", "cut", "value"})
        csv.text(column);
    if (bootstrapped) {
        for (const char* column : {"se", "ci_low", "ci_high"}) csv.text(column);
    }
    csv.endRow();
    visitGroupIndices(results, [&](std::size_t g, std::string_view name, std::size_t cut,
                                   double value, const IndexSpread* s) {
        const GroupLevel& level = results.groups[g];
        csv.text(level.variable);
        csv.text(level.level);
        csv.integer(level.examinees);
        csv.text(level.small ? "true" : "false");
        csv.text(name);
        if (cut == 0) {
            csv.text("");
        } else {
            csv.integer(static_cast<std::int64_t>(cut));
        }
        csv.number(value);
        if (bootstrapped && s) {
            csv.number(s->se);
            csv.number(s->ciLow);
            csv.number(s->ciHigh);
        }
        csv.endRow();
    });
    return csv.take();
}

}  // namespace tl
