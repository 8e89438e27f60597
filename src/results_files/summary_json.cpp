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

Json testObject(const TestSummary& test) {
    Json object = {{"file", test.file}};
    if (!test.ran()) {
        object["status"] = test.status;
        object["error"] = test.error;
        return object;
    }
    object["folder"] = test.folder;
    object["status"] = test.status;
    if (!test.title.empty()) object["title"] = test.title;
    object["examinees"] = test.examinees;
    object["categories"] = test.categories;
    object["reliability"] = test.reliability;
    Json overall = Json::object();
    addIndices(overall, test.overall);
    object["overall"] = overall;
    if (test.overallSpreads) object["overall_se"] = standardErrors(*test.overallSpreads);
    Json cuts = Json::array();
    for (std::size_t cut = 0; cut < test.cuts.size(); ++cut) {
        const CutSummary& row = test.cuts[cut];
        Json entry = {
            {"cut", cut + 1}, {"observed_cut", row.observedCut}, {"true_cut", row.trueCut}};
        addIndices(entry, row.indices);
        if (row.spreads) entry["se"] = standardErrors(*row.spreads);
        cuts.push_back(entry);
    }
    object["cuts"] = cuts;
    Json groups = Json::array();
    for (const GroupSummary& row : test.groups) {
        Json entry = {{"variable", row.variable},
                      {"level", row.level},
                      {"examinees", row.examinees},
                      {"small", row.small}};
        addIndices(entry, row.indices);
        if (row.spreads) entry["se"] = standardErrors(*row.spreads);
        groups.push_back(entry);
    }
    object["groups"] = groups;
    return object;
}

}  // namespace

std::string composeSummaryJson(const std::vector<TestSummary>& tests) {
    Json doc;
    doc["program"] = {{"name", kProgramName}, {"version", kProgramVersion}};
    Json array = Json::array();
    for (const TestSummary& test : tests) array.push_back(testObject(test));
    doc["tests"] = array;
    return dumpJson(doc);
}

}  // namespace tl
