#pragma once

// A recorded case or bundled example copied into a scratch folder without its
// expected results, so that a run may write there freely.

#include <filesystem>
#include <string>

#include "support/program_run.h"

namespace tl::testing {

class ScratchCase {
  public:
    // Copies the regular files of `source` that are inputs: not the "expected"
    // folder, the documentation, or a report (.out) left by running in place.
    explicit ScratchCase(const std::filesystem::path& source)
        : source_(source), dir_(makeScratchDirectory(source.filename().string())) {
        for (const auto& entry : std::filesystem::directory_iterator(source_)) {
            const std::string name = entry.path().filename().string();
            const bool input = entry.is_regular_file() && name != "README.md" &&
                               name != "PROVENANCE.md" && entry.path().extension() != ".out";
            if (input) std::filesystem::copy_file(entry.path(), dir_ / name);
        }
    }
    ~ScratchCase() { std::filesystem::remove_all(dir_); }
    ScratchCase(const ScratchCase&) = delete;
    ScratchCase& operator=(const ScratchCase&) = delete;

    static std::filesystem::path fixture(const std::string& name) {
        return std::filesystem::path(TESSERLINK_FIXTURES) / name;
    }
    static std::filesystem::path example(const std::string& name) {
        return std::filesystem::path(TESSERLINK_EXAMPLES) / name;
    }

    const std::filesystem::path& source() const { return source_; }
    const std::filesystem::path& dir() const { return dir_; }

    // The report name a recorded case expects, from expected/report-name.
    std::string expectedReportName() const {
        std::string name = readFile(source_ / "expected" / "report-name");
        while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) name.pop_back();
        return name;
    }

  private:
    std::filesystem::path source_;
    std::filesystem::path dir_;
};

}  // namespace tl::testing
