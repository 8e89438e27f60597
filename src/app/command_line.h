#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "run/run_request.h"

namespace tl {

// What the program was asked to do on its command line.
struct CommandLine {
    // The control card of a batch run; absent for the console dialogue, which
    // prompts for the name and pauses at the end exactly as it always has.
    std::optional<std::string> cardFile;
    // Two or more control cards and analysis files: the tests of a testing
    // program, run each as it would run alone. Empty for one FILE or none.
    std::vector<std::string> programFiles;
    // The options every run of this command line shares (--threads,
    // --bootstrap, --seed, --engine, --strict, --scale, --cuts-on, --results),
    // each left empty when not given; its file is named per run.
    RunRequest request;
    bool quiet = false;
    // Progress on standard error even when it is not a terminal.
    bool progress = false;
    // Findings and progress on standard error as JSON lines, for a front end
    // (the page) that reads them.
    bool events = false;
    // --convert CARD: print the card as an analysis file instead of running.
    std::optional<std::string> convertCard;

    bool operator==(const CommandLine&) const = default;
};

// The parse of one argument vector. `run` is present when the program should
// go on to run; otherwise it should write `out` to standard output and `err` to
// standard error and end with `exitStatus` (0 after --help or --version, 2
// after a command-line error).
struct ParseOutcome {
    std::optional<CommandLine> run;
    int exitStatus = 0;
    std::string out;
    std::string err;
};

inline constexpr int kExitCommandLineError = 2;

ParseOutcome parseCommandLine(int argc, const char* const* argv);

// "tesserlink 3.0": the program name and its release.
std::string versionLine();

}  // namespace tl
