#include "app/program.h"

#include "app/command_line.h"
#include "app/run_driver.h"

namespace tl {

int runProgram(int argc, const char* const* argv, std::istream& in, std::ostream& out,
               std::ostream& err, bool errIsTerminal, bool ownsConsoleWindow) {
    const ParseOutcome parsed = parseCommandLine(argc, argv);
    if (!parsed.run) {
        out << parsed.out;
        err << parsed.err;
        return parsed.exitStatus;
    }
    const CommandLine& line = *parsed.run;
    RunOptions options;
    options.analysis = line.analysis;
    options.cardFile = line.cardFile;
    options.strict = line.strict;
    options.quiet = line.quiet;
    // Redrawn in place on a terminal; --progress also writes it as lines into
    // a log.
    if (!line.quiet && (errIsTerminal || line.progress)) {
        options.progress = errIsTerminal ? ProgressStyle::Redrawn : ProgressStyle::Lines;
    }
    options.resultsDir = line.resultsDir;
    options.pauseAlways = ownsConsoleWindow;
    return runTesserlink(in, out, err, options);
}

}  // namespace tl
