#pragma once

#include <array>
#include <string_view>

#include "classify/bootstrap_summary.h"
#include "classify/precision_indices.h"

namespace tl {

// An index of a group by name: the one list every output (results files, page,
// R) names the diagnostic and agreement indices from, and the bootstrap
// summarises them by.
template <class Values, class Spreads>
struct PrecisionField {
    std::string_view key;    // results.json key, CSV name and R name
    std::string_view label;  // heading for readers
    double Values::*value;
    IndexSpread Spreads::*spread;
};

using CutDiagnosticsField = PrecisionField<CutDiagnostics, CutDiagnosticsSpread>;
using CategoryDiagnosticsField = PrecisionField<CategoryDiagnostics, CategoryDiagnosticsSpread>;
using AgreementField = PrecisionField<Agreement, AgreementSpread>;

inline constexpr std::array<CutDiagnosticsField, 5> kCutDiagnosticsFields{{
    {"sensitivity", "Sensitivity", &CutDiagnostics::sensitivity,
     &CutDiagnosticsSpread::sensitivity},
    {"specificity", "Specificity", &CutDiagnostics::specificity,
     &CutDiagnosticsSpread::specificity},
    {"ppv", "PPV", &CutDiagnostics::ppv, &CutDiagnosticsSpread::ppv},
    {"npv", "NPV", &CutDiagnostics::npv, &CutDiagnosticsSpread::npv},
    {"youden", "Youden", &CutDiagnostics::youden, &CutDiagnosticsSpread::youden},
}};

inline constexpr std::array<CategoryDiagnosticsField, 2> kCategoryDiagnosticsFields{{
    {"sensitivity", "Sensitivity", &CategoryDiagnostics::sensitivity,
     &CategoryDiagnosticsSpread::sensitivity},
    {"ppv", "PPV", &CategoryDiagnostics::ppv, &CategoryDiagnosticsSpread::ppv},
}};

// The first two hold for any K; the within-one shares only from K = 3.
inline constexpr std::array<AgreementField, 4> kAgreementFields{{
    {"weighted_kappa_linear", "Weighted kappa (linear)", &Agreement::weightedKappaLinear,
     &AgreementSpread::weightedKappaLinear},
    {"weighted_kappa_quadratic", "Weighted kappa (quadratic)", &Agreement::weightedKappaQuadratic,
     &AgreementSpread::weightedKappaQuadratic},
    {"consistency_within_one", "Consistency within one", &Agreement::consistencyWithinOne,
     &AgreementSpread::consistencyWithinOne},
    {"accuracy_within_one", "Accuracy within one", &Agreement::accuracyWithinOne,
     &AgreementSpread::accuracyWithinOne},
}};

// How many of kAgreementFields a run of `categories` categories reports.
inline constexpr std::size_t agreementFieldCount(std::int32_t categories) {
    return categories >= 3 ? kAgreementFields.size() : 2;
}

}  // namespace tl
