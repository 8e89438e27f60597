#pragma once

#include <array>
#include <string>
#include <string_view>

#include "results/results.h"
#include "results_files/category_names.h"

namespace tl {

// The columns of examinees.csv and conditional.csv by the one name each has in
// those files and in R's data frames, in the files' order. kProbabilities
// stands for one column a category, probabilityColumn of its name; the columns
// a run has no values for (ID, labels, scale) are left out.
namespace column {
inline constexpr std::string_view kRecord = "record";
inline constexpr std::string_view kId = "id";
inline constexpr std::string_view kObservedComposite = "observed_composite";
inline constexpr std::string_view kTrueCategoryComposite = "true_category_composite";
inline constexpr std::string_view kObservedCategory = "observed_category";
inline constexpr std::string_view kTrueCategory = "true_category";
inline constexpr std::string_view kObservedLabel = "observed_label";
inline constexpr std::string_view kTrueLabel = "true_label";
inline constexpr std::string_view kProbabilities = "p_";
inline constexpr std::string_view kConsistency = "consistency";
inline constexpr std::string_view kAccuracy = "accuracy";
inline constexpr std::string_view kFalsePositive = "false_positive";
inline constexpr std::string_view kFalseNegative = "false_negative";
inline constexpr std::string_view kErrorVariance = "error_variance";
inline constexpr std::string_view kCsem = "csem";
inline constexpr std::string_view kScaleScore = "scale_score";
inline constexpr std::string_view kScaleCsem = "scale_csem";
inline constexpr std::string_view kScore = "score";
inline constexpr std::string_view kExaminees = "examinees";
inline constexpr std::string_view kTheta = "theta";
inline constexpr std::string_view kThetaSe = "theta_se";
inline constexpr std::string_view kTrueComposite = "true_composite";
}  // namespace column

inline constexpr std::array<std::string_view, 17> kExamineeColumns{column::kRecord,
                                                                   column::kId,
                                                                   column::kObservedComposite,
                                                                   column::kTrueCategoryComposite,
                                                                   column::kObservedCategory,
                                                                   column::kTrueCategory,
                                                                   column::kObservedLabel,
                                                                   column::kTrueLabel,
                                                                   column::kProbabilities,
                                                                   column::kConsistency,
                                                                   column::kAccuracy,
                                                                   column::kFalsePositive,
                                                                   column::kFalseNegative,
                                                                   column::kErrorVariance,
                                                                   column::kCsem,
                                                                   column::kScaleScore,
                                                                   column::kScaleCsem};

inline constexpr std::array<std::string_view, 9> kConditionalColumns{
    column::kScore,         column::kExaminees,     column::kConsistency,
    column::kAccuracy,      column::kProbabilities, column::kFalsePositive,
    column::kFalseNegative, column::kErrorVariance, column::kCsem};

// The column of the probability of the category called `category`.
inline std::string probabilityColumn(const std::string& category) {
    return std::string(column::kProbabilities) + category;
}

// The names of the columns of `columns` that `results` has, in order, the
// probabilities spelt out. `id`, `labels` and `scale` say whether those are had.
template <std::size_t N>
std::vector<std::string> columnNames(const std::array<std::string_view, N>& columns,
                                     const Results& results, bool id, bool labels, bool scale) {
    std::vector<std::string> names;
    for (std::string_view name : columns) {
        if (name == column::kProbabilities) {
            for (const std::string& category : categoryNames(results))
                names.push_back(probabilityColumn(category));
        } else if ((name != column::kId || id) &&
                   ((name != column::kObservedLabel && name != column::kTrueLabel) || labels) &&
                   ((name != column::kScaleScore && name != column::kScaleCsem) || scale)) {
            names.emplace_back(name);
        }
    }
    return names;
}

}  // namespace tl
