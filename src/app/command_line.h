#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tl {

// What the program was asked to do on its command line.
struct CommandLine {
    // The control card of a batch run; absent for the console dialogue, which
    // prompts for the name and pauses at the end exactly as it always has.
    std::optional<std::string> cardFile;
    unsigned threads = 0;  // 0: all hardware threads
    bool strict = false;
    bool quiet = false;
    std::optional<std::string> resultsDir;
    std::int64_t bootstrap = 0;  // replications; 0: no bootstrap, otherwise at least 2
    std::uint64_t seed = 1;      // only drawn on by the bootstrap
    enum class Engine { Auto, Enumerate, Convolve } engine = Engine::Auto;
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
    // Whether --seed and --engine were given: an analysis file's own values
    // apply otherwise.
    bool seedGiven = false;
    bool engineGiven = false;
};

inline constexpr int kExitCommandLineError = 2;

ParseOutcome parseCommandLine(int argc, const char* const* argv);

// "tesserlink 3.0": the program name and its release.
std::string versionLine();

}  // namespace tl
