#include "app/program.h"

#include "app/analysis_run.h"
#include "app/card_conversion.h"
#include "app/command_line.h"
#include "app/console.h"
#include "app/program_run.h"
#include "app/run_driver.h"
#include "input/analysis_file.h"

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
    if (line.convertCard) return convertCardToAnalysisFile(*line.convertCard, out, err);
    if (!line.programFiles.empty()) {
        const int status = runTestingProgram(line, parsed, out, err);
        // Files dropped together on the program: one pause for them all.
        if (ownsConsoleWindow) Console(in, out).pause();
        return status;
    }
    RunOptions options = sharedRunOptions(line);
    options.cardFile = line.cardFile;
    // Redrawn in place on a terminal; --progress also writes it as lines into
    // a log.
    if (!line.quiet && (errIsTerminal || line.progress)) {
        options.progress = errIsTerminal ? ProgressStyle::Redrawn : ProgressStyle::Lines;
    }
    options.resultsDir = line.resultsDir;
    options.pauseAlways = ownsConsoleWindow;
    if (options.cardFile && isAnalysisFileName(*options.cardFile)) {
        const int status = runAnalysisFile(out, err, options, givenOptions(parsed));
        // An analysis file dropped on the program: keep its window open for
        // the last lines, as a card's run does.
        if (options.pauseAlways) Console(in, out).pause();
        return status;
    }
    return runTesserlink(in, out, err, options);
}

}  // namespace tl
