#pragma once

// Whole runs through the library entry point instead of the executable, so a
// test can choose the thread count and swap in the literal model kernels.

#include <filesystem>
#include <sstream>
#include <string>

#include "job/run_driver.h"
#include "support/program_run.h"

namespace tl::testing {

// The control card names its files relative to the working directory, so a
// run happens inside its folder; the old directory comes back on scope exit.
class WorkingDirectory {
  public:
    explicit WorkingDirectory(const std::filesystem::path& directory)
        : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(directory);
    }
    ~WorkingDirectory() { std::filesystem::current_path(previous_); }
    WorkingDirectory(const WorkingDirectory&) = delete;
    WorkingDirectory& operator=(const WorkingDirectory&) = delete;

  private:
    std::filesystem::path previous_;
};

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
                                 const RunOptions& options) {
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
