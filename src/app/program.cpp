#include "app/program.h"

#include "app/command_line.h"
#include "app/run_driver.h"

namespace tl {

namespace {

ModelOptions::Engine engineOf(CommandLine::Engine engine) {
    switch (engine) {
        case CommandLine::Engine::Enumerate:
            return ModelOptions::Engine::Enumerate;
        case CommandLine::Engine::Convolve:
            return ModelOptions::Engine::Convolve;
        case CommandLine::Engine::Auto:
            break;
    }
    return ModelOptions::Engine::Auto;
}

}  // namespace

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
    options.model.threads = line.threads;
    options.model.engine = engineOf(line.engine);
    options.cardFile = line.cardFile;
    options.strict = line.strict;
    options.quiet = line.quiet;
    options.progress = errIsTerminal && !line.quiet;
    options.resultsDir = line.resultsDir;
    options.bootstrap = line.bootstrap;
    options.seed = line.seed;
    options.pauseAlways = ownsConsoleWindow;
    return runTesserlink(in, out, err, options);
}

}  // namespace tl
