#pragma once

#include <istream>
#include <ostream>

#include "classify/category_groups.h"
#include "model/set_distributions.h"

namespace tl {

struct RunOptions {
    unsigned threads = 0;  // 0: every hardware thread; any count gives the same bits
    // Replacements for the two model kernels (the literal references); when
    // either is set, examinees are not grouped and each is computed alone.
    RawDistributionKernel rawDistributionKernel = nullptr;
    CompositeKernel compositeKernel = nullptr;
};

// One run from the prompt to the report, as the console program makes it.
// Returns the exit status: 0 success, 1 an error the run detected and reported
// on the console, 2 malformed input or a file that cannot be written (one
// diagnostic line on `err`).
int runTesserlink(std::istream& in, std::ostream& out, std::ostream& err,
                  const RunOptions& options = {});

}  // namespace tl
