#pragma once

#include <ostream>
#include <string>

#include "core/control_card.h"

namespace tl {

// The analysis file that runs `card` with the same numbers: each set names
// its own data file, as the card does, and every number is written so that it
// reads back as the same double.
std::string analysisFileOfCard(const ControlCard& card, const std::string& cardFile);

// --convert CARD: reads the card and prints its analysis file on `out`.
// Returns 0, or 2 after one diagnostic line on `err`.
int convertCardToAnalysisFile(const std::string& cardFile, std::ostream& out, std::ostream& err);

}  // namespace tl
