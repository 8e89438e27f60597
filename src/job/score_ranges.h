#pragma once

#include "job/job.h"

namespace tl {

// Fills each set's raw-score range and list and returns the composite score
// scale. Bounds are truncated toward zero; the composite total is truncated
// after every set. Ranges too wide to hold are refused with a console line.
CompositeScale deriveScoreRanges(ControlCard& card);

// Stops with "Error! Cut scores are out of score range!" when an observed cut
// lies outside the composite scale (its ends included in the range).
void checkCutScores(const ControlCard& card, const CompositeScale& scale);

}  // namespace tl
