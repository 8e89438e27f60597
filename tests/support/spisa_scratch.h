#pragma once

// A scratch folder holding the spisa quiz's table and its items' Rasch
// parameters, for tests that run analysis files of their own on it.

#include <filesystem>
#include <string>

#include "support/program_run.h"

namespace tl::testing {

inline std::filesystem::path spisaScratch(const std::string& hint) {
    namespace fs = std::filesystem;
    const fs::path source = fs::path(TESSERLINK_EXAMPLES) / "spisa" / "irt";
    const fs::path dir = makeScratchDirectory(hint);
    fs::copy_file(source / "spisa.csv", dir / "spisa.csv");
    fs::copy_file(source / "parameters.csv", dir / "parameters.csv");
    return dir;
}

}  // namespace tl::testing
