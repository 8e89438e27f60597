#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "results_files/program_summary.h"

namespace tl {

// The summary of a testing program, its tests in command-line order. Every
// number is printed by the rule each test's results.json uses, from the same
// value.
std::string composeSummaryCsv(const std::vector<TestSummary>& tests);
std::string composeSummaryCutsCsv(const std::vector<TestSummary>& tests);
std::string composeSummaryGroupsCsv(const std::vector<TestSummary>& tests);
std::string composeSummaryJson(const std::vector<TestSummary>& tests);
std::string composeProgramIndexHtml(const std::vector<TestSummary>& tests);

// The file names the summary takes in the program's results folder; no test's
// folder may take one of them.
inline const std::vector<std::string>& summaryFileNames() {
    static const std::vector<std::string> names{"summary.csv", "summary_cuts.csv",
                                                "summary_groups.csv", "summary.json", "index.html"};
    return names;
}

// Writes the five summary files into `dir` (which must exist), each composed
// before the first is written and each replacing its old copy only once
// complete. Throws InputError with one line when a file cannot be written.
void writeProgramSummary(const std::vector<TestSummary>& tests, const std::filesystem::path& dir);

}  // namespace tl
