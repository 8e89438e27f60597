#pragma once

#include <ostream>

#include "app/command_line.h"
#include "app/run_driver.h"

namespace tl {

// Which of RunOptions' values the command line gave; the rest come from the
// analysis file when it sets them.
struct GivenOptions {
    bool bootstrap = false;
    bool seed = false;
    bool engine = false;
    bool cutsOn = false;
};

// Which of an analysis file's settings the command line `parsed` overrides.
GivenOptions givenOptions(const ParseOutcome& parsed);

// A batch run of the analysis file `options.cardFile`: the file read and
// checked, its table or per-set files read, the same model as a card run, and
// the report and results it asks for. Command-line options override the
// file's. Returns 0 on success and 2 after any mistake, with one diagnostic
// line on `err` and nothing written.
int runAnalysisFile(std::ostream& out, std::ostream& err, const RunOptions& options,
                    const GivenOptions& given);

}  // namespace tl
