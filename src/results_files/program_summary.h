#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "classify/bootstrap_summary.h"
#include "classify/classification_indices.h"
#include "results/results.h"

namespace tl {

// One cut of a test as the program's summary shows it.
struct CutSummary {
    double observedCut = 0.0;
    double trueCut = 0.0;
    IndexSet indices;
    std::optional<IndexSetSpread> spreads;  // when bootstrapped
};

// One level of a subgroup variable of a test as the program's summary shows it.
struct GroupSummary {
    std::string variable;
    std::string level;
    std::int64_t examinees = 0;
    bool small = false;
    IndexSet indices;
    std::optional<IndexSetSpread> spreads;  // when bootstrapped
};

// What a testing program keeps of one test once its own files are written:
// copies of the values its Results holds, which its results.json prints, and
// nothing computed anew. A failed test keeps its status and error line only.
struct TestSummary {
    std::string file;    // as given on the command line
    std::string folder;  // its results folder in the program's folder; empty after a failure
    int status = 0;      // the exit status the test would give alone
    std::string error;   // the line that reported its failure

    std::string title;
    std::int32_t examinees = 0;
    std::int32_t categories = 0;
    double reliability = std::numeric_limits<double>::quiet_NaN();
    IndexSet overall;
    std::optional<IndexSetSpread> overallSpreads;  // when bootstrapped
    std::optional<double> reliabilitySe;           // when bootstrapped
    std::vector<CutSummary> cuts;
    std::vector<GroupSummary> groups;

    bool ran() const { return status == 0; }
};

// The summary values of a run that was analysed with its tables.
TestSummary summarizeTest(const Results& results);

// The rows of the program's summary_groups.csv for one run: one per subgroup
// variable and level.
std::vector<GroupSummary> groupSummaries(const Results& results);

}  // namespace tl
