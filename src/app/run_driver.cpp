#include "app/run_driver.h"

#include <string>

#include "app/console.h"
#include "app/run_progress.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/one_line.h"
#include "input/control_card_reader.h"
#include "run/run_findings.h"
#include "run/run_json.h"

namespace tl {

namespace {

void show(std::ostream& err, const Finding& finding, bool events) {
    if (events) {
        err << findingJsonLine(finding) << '\n';
        return;
    }
    err << "tesserlink: " << severityPrefix(finding.severity) << oneLine(finding.text) << '\n';
}

}  // namespace

std::string failureLine(const RunOutcome& outcome) {
    const Finding* error = outcome.error();
    if (!error) return "";
    if (outcome.exitStatus == kExitDetected) return error->consoleLine;
    return "tesserlink: " + error->text;
}

int runTesserlink(std::istream& in, std::ostream& out, std::ostream& err,
                  const RunOptions& options) {
    Console console(in, out);
    RunRequest request = options.request;
    const bool dialogue = !request.file;
    RunEvents events;
    events.onFinding = [&](const Finding& f) {
        if (!options.quiet) show(err, f, options.events);
    };
    events.hooks.onNegativeFactorial = [&] {
        console.line(messages::kNegativeFactorial);
        if (dialogue) console.waitForEnter();
    };
    RunProgress progress(err, options.quiet ? ProgressStyle::Off : options.progress);
    progress.attach(events.hooks);
    events.hooks.onPlan = [&progress](const RunPlan& plan) { progress.planned(plan); };

    RunOutcome outcome;
    if (dialogue) {
        console.line(messages::kPrompt);
        try {
            const std::string name = fileNameOf(console.readFileName());
            for (const Finding& f : promptFindings(console.typedName(), name)) events.onFinding(f);
            request.file = name;
            request.fileIsCard = true;
        } catch (const InputError& error) {
            outcome.exitStatus = kExitFailure;
            outcome.findings.push_back(error.finding());
        }
    }
    if (outcome.exitStatus == kExitSuccess) outcome = runRequest(request, events);
    progress.finish();

    const int status = outcome.exitStatus;
    if (status == kExitSuccess) {
        console.line(messages::kSuccess);
        if (outcome.figuresWritten && !options.quiet && !options.events)
            err << "tesserlink: figures written to " << *outcome.figuresWritten << '\n';
    } else if (status == kExitDetected) {
        console.line(failureLine(outcome));
        if (options.events) show(err, *outcome.error(), true);
    } else {
        if (options.events) {
            show(err, *outcome.error(), true);
        } else {
            err << failureLine(outcome) << '\n';
        }
    }
    if (options.onOutcome) options.onOutcome(outcome);
    // The dialogue pauses at its end, after success and after an error it
    // detected; a batch run does not, unless its window closes with it.
    const bool pause = options.pauseAlways || (dialogue && status != kExitFailure);
    if (pause) console.pause();
    return status;
}

}  // namespace tl
