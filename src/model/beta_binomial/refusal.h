#pragma once

#include <string>

#include "core/finding.h"

namespace tl::betabinomial {

// A value as a refusal or warning names it: up to 10 significant digits.
std::string valueText(double value);

// Throws the InputError of a refusal: its code, its one line, and the key and
// value it names.
[[noreturn]] void refuse(FindingCode code, const std::string& text, const std::string& key,
                         double value);

}  // namespace tl::betabinomial
