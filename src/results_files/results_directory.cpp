#include "results_files/results_directory.h"

#include <optional>

#include "platform/file_names.h"
#include "results_files/comparison_files.h"
#include "results_files/examinees_csv.h"
#include "results_files/groups_results.h"
#include "results_files/model_files.h"
#include "results_files/results_csv.h"
#include "results_files/results_html.h"
#include "results_files/results_json.h"
#include "results_files/results_transaction.h"
#include "results_files/scale_files.h"
#include "results_files/sweep_files.h"

namespace tl {

std::vector<std::pair<std::string, std::string>> composeResultsFiles(const Results& results) {
    std::vector<std::pair<std::string, std::string>> files;
    files.emplace_back("results.json", composeResultsJson(results));
    files.emplace_back("overall.csv", composeOverallCsv(results));
    files.emplace_back("cuts.csv", composeCutsCsv(results));
    files.emplace_back("true_by_observed.csv", composeTrueByObservedCsv(results));
    files.emplace_back("consistency_table.csv", composeConsistencyTableCsv(results));
    files.emplace_back("conditional.csv", composeConditionalCsv(results));
    files.emplace_back("csem.csv", composeCsemCsv(results));
    files.emplace_back("per_category.csv", composePerCategoryCsv(results));
    files.emplace_back("agreement.csv", composeAgreementCsv(results));
    if (results.scale) files.emplace_back("scale_csem.csv", composeScaleCsemCsv(*results.scale));
    files.emplace_back("examinees.csv", results.model.examinees ? composeModelExamineesCsv(results)
                                                                : composeExamineesCsv(results));
    if (!results.groups.empty()) files.emplace_back("groups.csv", composeGroupsCsv(results));
    if (results.model.fit) files.emplace_back("fit.csv", composeModelFitCsv(*results.model.fit));
    if (results.model.correctedFit)
        files.emplace_back("fit_corrected.csv", composeModelFitCsv(*results.model.correctedFit));
    if (results.sweep) {
        const SweepSpread* spread =
            results.bootstrap && results.bootstrap->sweep ? &*results.bootstrap->sweep : nullptr;
        files.emplace_back("sweep.csv", composeSweepCsv(*results.sweep, spread));
    }
    if (!results.model.conditional.empty())
        files.emplace_back("model_conditional.csv", composeModelConditionalCsv(results));
    if (results.comparison) {
        files.emplace_back("comparison.csv", composeComparisonCsv(*results.comparison));
        files.emplace_back("comparison_differences.csv",
                           composeComparisonDifferencesCsv(*results.comparison));
    }
    files.emplace_back("report.html", composeResultsHtml(results));
    // Each further model's own folder, as a run of it alone writes it.
    for (const Results& other : results.otherModels) {
        for (auto& [name, text] : composeResultsFiles(other))
            files.emplace_back(std::string(kModelsFolder) + "/" + other.modelName + "/" + name,
                               std::move(text));
    }
    return files;
}

const std::vector<std::string>& resultsFileNames() {
    static const std::vector<std::string> names{"results.json",
                                                "overall.csv",
                                                "cuts.csv",
                                                "true_by_observed.csv",
                                                "consistency_table.csv",
                                                "conditional.csv",
                                                "csem.csv",
                                                "per_category.csv",
                                                "agreement.csv",
                                                "scale_csem.csv",
                                                "examinees.csv",
                                                "groups.csv",
                                                "fit.csv",
                                                "fit_corrected.csv",
                                                "sweep.csv",
                                                "model_conditional.csv",
                                                "comparison.csv",
                                                "comparison_differences.csv",
                                                "report.html"};
    return names;
}

void writeResultsDirectory(const Results& results, const std::filesystem::path& dir) {
    // The folder alone, written whole into a new folder and renamed into
    // place: `dir` holds either the earlier run's files or these, never both.
    OutputTransaction outputs(std::nullopt, fileNameText(dir), {});
    outputs.commit(results, {});
}

}  // namespace tl
