#pragma once

#include <filesystem>

#include "results/results.h"

namespace tl {

// Writes the results files of a run into `dir`, creating it when missing.
void writeResultsDirectory(const Results& results, const std::filesystem::path& dir);

}  // namespace tl
