#pragma once

#include <string>

#include "results/results.h"

namespace tl {

// The summary tables of a run as CSV files (columns in doc/results-files.md).
// Each needs a run analysed with its tables.

// One row per index: index,value and, after a bootstrap, se,ci_low,ci_high,
// replicates_undefined.
std::string composeOverallCsv(const Results& results);
// One row per cut: cut,observed_cut,true_cut, the six indices and, after a
// bootstrap, <index>_se,<index>_ci_low,<index>_ci_high,
// <index>_replicates_undefined for each index in turn; then csem and the
// diagnostic statistics (sensitivity, specificity, ppv, npv, youden) and,
// after a bootstrap, their spread columns in the same pattern.
std::string composeCutsCsv(const Results& results);
// The K x K tables with a label column, a total column and a total row.
std::string composeTrueByObservedCsv(const Results& results);
std::string composeConsistencyTableCsv(const Results& results);
// One row per distinct observed composite score: the mean results of its
// examinees, their mean error variance and its square root, the CSEM.
std::string composeConditionalCsv(const Results& results);

// CSEM rows as CSV: <scoreColumn>,examinees,error_variance,csem.
std::string csemCsv(const std::vector<CsemRow>& rows, const char* scoreColumn);

// The CSEM by observed composite: score,examinees,error_variance,csem.
std::string composeCsemCsv(const Results& results);

// One row per category: category,label,sensitivity,ppv and, after a
// bootstrap, the spread columns of each in turn.
std::string composePerCategoryCsv(const Results& results);

// Weighted kappas (and, from three categories, the within-one shares) as
// overall.csv has its indices: index,value and, after a bootstrap, the spread.
std::string composeAgreementCsv(const Results& results);

}  // namespace tl
