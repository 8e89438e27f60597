#pragma once

#include <string>
#include <vector>

#include "core/control_card.h"
#include "core/errors.h"
#include "core/finding.h"

namespace tl {

// The analysis file that runs `card` with the same numbers: each set names
// its own data file, as the card does, and every number is written so that it
// reads back as the same double.
std::string analysisFileOfCard(const ControlCard& card, const std::string& cardFile);

// What --convert CARD gives: the card's analysis file, or the error that
// stopped it (exit status kExitFailure, whatever the error).
struct ConversionOutcome {
    int exitStatus = kExitSuccess;
    std::string analysisFile;
    std::vector<Finding> findings;
};

ConversionOutcome convertCard(const std::string& cardFile);

}  // namespace tl
