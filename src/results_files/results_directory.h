#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "results/results.h"

namespace tl {

// The files of a run's results folder, each with its content: results.json,
// overall.csv, cuts.csv, true_by_observed.csv, consistency_table.csv,
// conditional.csv, csem.csv, per_category.csv, agreement.csv, examinees.csv
// and report.html; scale_csem.csv with a conversion table, groups.csv
// when groups were asked for, and the comparison's files and each further
// model's folder when several models ran. The run must have been analysed with its tables.
std::vector<std::pair<std::string, std::string>> composeResultsFiles(const Results& results);

// Every name a results folder may hold, whatever the run. A run of several
// models also holds kModelsFolder, with a folder of results files for each
// model after the first: their names are "models/NAME/FILE" in
// composeResultsFiles.
const std::vector<std::string>& resultsFileNames();
inline constexpr std::string_view kModelsFolder = "models";

// Writes the results folder of a run as a whole (see OutputTransaction): a
// new folder beside `dir`, then put in its place in one rename, the old one
// removed after. Creates `dir`'s missing parents. Throws InputError with one
// line, `dir` as it was, when `dir` names something that is not a results
// folder or the folder cannot be written.
void writeResultsDirectory(const Results& results, const std::filesystem::path& dir);

}  // namespace tl
