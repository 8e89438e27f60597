#include "app/program.h"

#include <new>

#include "app/command_line.h"
#include "app/console.h"
#include "app/program_run.h"
#include "app/run_driver.h"
#include "core/errors.h"
#include "core/one_line.h"
#include "run/card_conversion.h"
#include "run/program_tests.h"
#include "run/run_json.h"

namespace tl {

namespace {

int runParsed(const ParseOutcome& parsed, std::istream& in, std::ostream& out, std::ostream& err,
              bool errIsTerminal, bool ownsConsoleWindow);

}  // namespace

int runProgram(int argc, const char* const* argv, std::istream& in, std::ostream& out,
               std::ostream& err, bool errIsTerminal, bool ownsConsoleWindow) {
    // Every failure a run knows is its own line already; anything else that
    // escapes (a thread that cannot start, a stream that throws) is one line
    // too, never an abort.
    try {
        return runParsed(parseCommandLine(argc, argv), in, out, err, errIsTerminal,
                         ownsConsoleWindow);
    } catch (const std::bad_alloc&) {
        err << "tesserlink: not enough memory for this run\n";
    } catch (const std::exception& error) {
        err << "tesserlink: internal error: " << oneLine(error.what()) << '\n';
    }
    return kExitFailure;
}

namespace {

int runParsed(const ParseOutcome& parsed, std::istream& in, std::ostream& out, std::ostream& err,
              bool errIsTerminal, bool ownsConsoleWindow) {
    if (!parsed.run) {
        out << parsed.out;
        err << parsed.err;
        return parsed.exitStatus;
    }
    const CommandLine& line = *parsed.run;
    if (line.convertCard) {
        const ConversionOutcome converted = convertCard(*line.convertCard);
        out << converted.analysisFile;
        for (const Finding& f : converted.findings) {
            if (line.events) {
                err << findingJsonLine(f) << '\n';
            } else {
                err << "tesserlink: " << severityPrefix(f.severity) << f.text << '\n';
            }
        }
        return converted.exitStatus;
    }
    // An analysis file that lists other cut sets is a program of its own
    // where its tests get folders.
    CommandLine program = line;
    if (line.cardFile && line.request.resultsDir && listsCutSets(*line.cardFile)) {
        program.programFiles = {*line.cardFile};
        program.cardFile.reset();
    }
    if (!program.programFiles.empty()) {
        const int status = runTestingProgram(program, out, err);
        // Files dropped together on the program: one pause for them all.
        if (ownsConsoleWindow) Console(in, out).pause();
        return status;
    }
    RunOptions options;
    options.request = line.request;
    options.request.file = line.cardFile;
    options.quiet = line.quiet;
    options.events = line.events;
    // Redrawn in place on a terminal; --progress also writes it as lines into
    // a log; --events as JSON lines.
    if (line.events) {
        options.progress = ProgressStyle::Events;
    } else if (errIsTerminal || line.progress) {
        options.progress = errIsTerminal ? ProgressStyle::Redrawn : ProgressStyle::Lines;
    }
    options.pauseAlways = ownsConsoleWindow;
    return runTesserlink(in, out, err, options);
}

}  // namespace

}  // namespace tl
