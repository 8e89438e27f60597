#pragma once

#include <pybind11/pybind11.h>

#include "run/run.h"

namespace tlpy {

// A finding as Python holds it: its code, severity and text, and each value it
// names that is not empty.
pybind11::dict findingToPython(const tl::Finding& finding);

// The outcome of a run: {"status", "findings"} and, on success, "run" (the
// Results themselves, for the tables, the JSON and the results folder),
// "report_file" and "results_dir". A note the run only tells its console
// (a factorial of a negative count) is added to the findings.
pybind11::dict outcomeToPython(tl::RunOutcome outcome, bool negativeFactorial);

}  // namespace tlpy
