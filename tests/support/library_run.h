#pragma once

// Whole runs through the library entry point instead of the executable, so a
// test can choose the thread count and swap in the literal model kernels.

#include <filesystem>
#include <sstream>
#include <string>

#include "app/run_driver.h"
#include "support/program_run.h"

namespace tl::testing {

struct LibraryRun {
    int status = -1;
    std::string console;
    std::string err;
    std::string report;  // empty when the run wrote none
};

// Answers the prompt with `cardFile` in `directory` and reads `reportName`
// from there afterwards.
inline LibraryRun runInDirectory(const std::filesystem::path& directory,
                                 const std::string& cardFile, const std::string& reportName,
                                 unsigned threads, SubstituteKernels substitutes = {}) {
    RunOptions options;
    options.request.threads = threads;
    options.request.substitutes = substitutes;
    LibraryRun run;
    {
        WorkingDirectory inside(directory);
        std::filesystem::remove(reportName);
        std::istringstream in(cardFile + "\n\n");
        std::ostringstream out, err;
        run.status = runTesserlink(in, out, err, options);
        run.console = out.str();
        run.err = err.str();
    }
    if (std::filesystem::exists(directory / reportName))
        run.report = readFile(directory / reportName);
    return run;
}

}  // namespace tl::testing
