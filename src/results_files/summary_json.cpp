#include "core/version.h"
#include "results_files/json_text.h"
#include "results_files/summary_files.h"
#include "results_files/tables_of.h"

namespace tl {

namespace {

using Json = nlohmann::ordered_json;

void addIndices(Json& object, const IndexSet& indices) {
    for (const IndexField& field : kIndexFields)
        object[std::string(field.key)] = indices.*field.value;
}

Json standardErrors(const IndexSetSpread& spreads) {
    Json object = Json::object();
    for (const IndexField& field : kIndexFields)
        object[std::string(field.key)] = (spreads.*field.spread).se;
    return object;
}

// A model's values, as its own results.json holds them.
void addValues(Json& object, const TestSummary& model) {
    object["examinees"] = model.examinees;
    object["categories"] = model.categories;
    object["reliability"] = model.reliability;
    Json overall = Json::object();
    addIndices(overall, model.overall);
    object["overall"] = overall;
    if (model.overallSpreads) object["overall_se"] = standardErrors(*model.overallSpreads);
    Json cuts = Json::array();
    for (std::size_t cut = 0; cut < model.cuts.size(); ++cut) {
        const CutSummary& row = model.cuts[cut];
        Json entry = {
            {"cut", cut + 1}, {"observed_cut", row.observedCut}, {"true_cut", row.trueCut}};
        addIndices(entry, row.indices);
        if (row.spreads) entry["se"] = standardErrors(*row.spreads);
        cuts.push_back(entry);
    }
    object["cuts"] = cuts;
    Json groups = Json::array();
    for (const GroupSummary& row : model.groups) {
        Json entry = {{"variable", row.variable},
                      {"level", row.level},
                      {"examinees", row.examinees},
                      {"small", row.small}};
        addIndices(entry, row.indices);
        if (row.spreads) entry["se"] = standardErrors(*row.spreads);
        groups.push_back(entry);
    }
    object["groups"] = groups;
}

// The models side by side over the whole scale: each model's values and,
// with a bootstrap, their standard errors, keyed by the index's name.
Json comparisonObject(const ComparisonSummary& comparison) {
    Json models = Json::array();
    for (const ComparisonSummary::Model& model : comparison.models) {
        Json values = Json::object();
        Json ses = Json::object();
        for (std::size_t i = 0; i < comparison.indices.size(); ++i) {
            values[comparison.indices[i]] = model.values[i];
            if (i < model.ses.size()) ses[comparison.indices[i]] = model.ses[i];
        }
        Json entry = {{"model", model.name}, {"overall", values}};
        if (!model.ses.empty()) entry["overall_se"] = ses;
        models.push_back(entry);
    }
    return {{"replicates", comparison.replicates}, {"models", models}};
}

Json testObject(const ModelRow& row) {
    const TestSummary& test = *row.test;
    Json object = {{"file", test.file}};
    if (!test.ran()) {
        object["status"] = test.status;
        object["error"] = test.error;
        return object;
    }
    const TestSummary& model = *row.values;
    object["model"] = model.model;
    object["folder"] = row.folder;
    object["status"] = test.status;
    if (!test.title.empty()) object["title"] = test.title;
    addValues(object, model);
    if (model.comparison) object["comparison"] = comparisonObject(*model.comparison);
    return object;
}

}  // namespace

std::string composeSummaryJson(const std::vector<TestSummary>& tests) {
    Json doc;
    doc["program"] = {{"name", kProgramName}, {"version", kProgramVersion}};
    Json array = Json::array();
    for (const ModelRow& row : modelRows(tests)) array.push_back(testObject(row));
    doc["tests"] = array;
    return dumpJson(doc);
}

}  // namespace tl
