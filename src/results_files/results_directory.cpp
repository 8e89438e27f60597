#include "results_files/results_directory.h"

#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "core/errors.h"
#include "platform/atomic_file.h"
#include "platform/file_names.h"
#include "results_files/examinees_csv.h"
#include "results_files/groups_results.h"
#include "results_files/results_csv.h"
#include "results_files/results_html.h"
#include "results_files/results_json.h"
#include "results_files/scale_files.h"

namespace tl {

namespace {

void makeFolder(const std::filesystem::path& dir) {
    std::error_code error;
    const auto status = std::filesystem::status(dir, error);
    if (std::filesystem::exists(status)) {
        if (!std::filesystem::is_directory(status)) {
            throw InputError("the results directory " + fileNameText(dir) + " is not a directory");
        }
        return;
    }
    std::filesystem::create_directories(dir, error);
    if (error) {
        throw InputError("cannot create the results directory " + fileNameText(dir) + ": " +
                         error.message());
    }
}

}  // namespace

void writeResultsDirectory(const Results& results, const std::filesystem::path& dir) {
    // Everything is composed first: a run that cannot be written leaves the
    // folder as it was.
    std::vector<std::pair<const char*, std::string>> files;
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
    files.emplace_back("examinees.csv", composeExamineesCsv(results));
    if (!results.groups.empty()) files.emplace_back("groups.csv", composeGroupsCsv(results));
    files.emplace_back("report.html", composeResultsHtml(results));
    makeFolder(dir);
    for (auto& [name, content] : files) {
        writeFileAtomically(fileNameText(dir / name), content, "results file");
        content = std::string();  // a million examinees' rows need not stay
    }
}

}  // namespace tl
