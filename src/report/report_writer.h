#pragma once

#include <span>
#include <string>

#include "classify/classification.h"
#include "job/job.h"
#include "model/reliability.h"

namespace tl {

// The whole report text, every line ended by CR LF: banner, the control card
// echo, error variance and reliability, overall consistency and accuracy, and
// (when the card asks for it) one line of conditional results per examinee.
std::string composeReport(const ControlCard& card, const ReliabilitySummary& reliability,
                          const Classification& classification,
                          std::span<const double> observedComposite);

}  // namespace tl
