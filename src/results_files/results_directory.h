#pragma once

#include <filesystem>

#include "results/results.h"

namespace tl {

// Writes the results folder of a run, these 13 files:
//   results.json, overall.csv, cuts.csv, true_by_observed.csv,
//   consistency_table.csv, conditional.csv, csem.csv, per_category.csv,
//   agreement.csv, examinees.csv and report.html; with a conversion table also
//   scale_csem.csv, and with groups asked for also groups.csv.
// Creates `dir`
// (and its parents) when missing. Every file is composed before the first is
// written, and each replaces its old copy only
// once complete. Throws InputError with one line when `dir` names something
// that is not a folder or a file cannot be written. The run must have been
// analysed with its tables.
void writeResultsDirectory(const Results& results, const std::filesystem::path& dir);

}  // namespace tl
