#pragma once

#include <string>
#include <vector>

#include "core/errors.h"
#include "results/results.h"
#include "run/run.h"

namespace tl {

// What the front ends that run inside another program (R, Python) make of a
// run alike.

// Scores refused before the run (more sets than a card holds), ended as the
// run ends a card it refuses.
RunOutcome refusedOutcome(const DetectedError& error);

// A multinomial coefficient that needed a negative count's factorial: the run
// tells the console program, and these front ends hear it as a note after
// the run's findings (a run that succeeded only).
void addNegativeFactorialNote(RunOutcome& outcome);

// Each set as the results name it: by the name the analysis file gives it,
// else by its data file, or by its number in a table.
std::vector<std::string> setLabels(const Results& results);

}  // namespace tl
