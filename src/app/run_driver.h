#pragma once

#include <functional>
#include <istream>
#include <ostream>

#include "app/progress.h"
#include "run/run.h"
#include "run/run_request.h"

namespace tl {

// One run as the command line shows it: the request, and how its findings
// and progress are shown.
struct RunOptions {
    // What is run, and with which options; an absent file is the console
    // dialogue, which asks for the card's name.
    RunRequest request;
    bool quiet = false;  // no warnings, notes or progress on standard error
    // Findings on standard error as JSON lines (--events), the error too.
    bool events = false;
    ProgressStyle progress = ProgressStyle::Off;
    // The console window closes with the program (a double-click on Windows):
    // a batch run and a failed run end with the pause too, so that the last
    // lines can be read.
    bool pauseAlways = false;
    // A testing program keeps what it needs of each test's outcome.
    std::function<void(const RunOutcome&)> onOutcome;
};

// The line a failed outcome shows: the console line of an error found in a
// card, "tesserlink: " and the error's text otherwise.
std::string failureLine(const RunOutcome& outcome);

// One run, as the command line shows it: the console dialogue when no file is
// named (the prompt, and the pause at the end), a control card or an analysis
// file otherwise. Notes and warnings go to `err` as they are found, an error
// found in a card to the console, every other error to `err`. Returns the
// outcome's exit status (see core/errors.h).
int runTesserlink(std::istream& in, std::ostream& out, std::ostream& err,
                  const RunOptions& options = {});

}  // namespace tl
