#include "model/beta_binomial/refusal.h"

#include <cstdio>

#include "core/errors.h"

namespace tl::betabinomial {

std::string valueText(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.10g", value);
    return buffer;
}

void refuse(FindingCode code, const std::string& text, const std::string& key, double value) {
    Finding finding;
    finding.code = code;
    finding.severity = Severity::Error;
    finding.text = text;
    finding.key = key;
    finding.value = valueText(value);
    throw InputError(std::move(finding));
}

}  // namespace tl::betabinomial
