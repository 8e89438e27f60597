#pragma once

#include <string>

#include "results/results.h"

namespace tl {

// The whole report text, every line ended by CR LF: banner, the control card
// echo, error variance and reliability, overall consistency and accuracy, and
// (when the card asks for it) one line of conditional results per examinee.
std::string composeReport(const Results& results);

}  // namespace tl
