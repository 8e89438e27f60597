#pragma once

#include <istream>
#include <ostream>

#include "model/model_options.h"

namespace tl {

struct RunOptions {
    ModelOptions model;
};

// One run from the prompt to the report, as the console program makes it.
// Returns the exit status: 0 success, 1 an error the run detected and reported
// on the console, 2 malformed input or a file that cannot be written (one
// diagnostic line on `err`).
int runTesserlink(std::istream& in, std::ostream& out, std::ostream& err,
                  const RunOptions& options = {});

}  // namespace tl
