#pragma once

#include <filesystem>

#include "results/results.h"

namespace tl {

// Writes the results folder of a run: results.json, overall.csv, cuts.csv,
// true_by_observed.csv, consistency_table.csv, conditional.csv, examinees.csv
// and report.html, and groups.csv when groups were asked for. Creates `dir`
// (and its parents) when missing. Every file is composed before the first is
// written, and each replaces its old copy only
// once complete. Throws InputError with one line when `dir` names something
// that is not a folder or a file cannot be written. The run must have been
// analysed with its tables.
void writeResultsDirectory(const Results& results, const std::filesystem::path& dir);

}  // namespace tl
