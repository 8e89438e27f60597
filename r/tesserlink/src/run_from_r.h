#pragma once

#include <Rcpp.h>

#include "run/run.h"
#include "run/run_request.h"

namespace tlr {

// The options of a run asked for from R, read from its named list: each of
// `bootstrap`, `seed`, `cuts_on` ("raw" or "scale"), `scale` (a conversion
// table's file) and `results` is NULL or absent when not given; `threads`,
// `strict` and `write` are always given; `model` and `method` are NULL or
// character vectors of the names. The library settles the rest.
tl::RunRequest requestFromR(const Rcpp::List& args);

// The run's events for R: the bootstrap's progress told to `progress` (an R
// function of done and total, or NULL) and interrupts between replicates.
// The library's callbacks never call R from another thread.
tl::RunEvents eventsForR(SEXP progress, bool& negativeFactorial);

// How a run ended, for R: list(status, findings) and, on success, `results`
// (every number, see resultsToR), `native` (the run itself, for
// write_results), the set labels, the examinees' rows and IDs, the category
// labels, the title and what was written (`report_file`, `results_dir`);
// with several models, `models`: each further model's `results` and `native`
// run, named as the run names the model.
Rcpp::List outcomeToR(tl::RunOutcome outcome, bool negativeFactorial);

}  // namespace tlr
