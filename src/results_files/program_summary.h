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

// A test's models side by side over the whole scale, as its comparison.csv
// gives them (the cut-0 rows): the primary model first.
struct ComparisonSummary {
    struct Model {
        std::string name;
        std::vector<double> values;  // index for index with `indices`
        std::vector<double> ses;     // with a bootstrap; empty without one
    };
    std::vector<std::string> indices;
    std::vector<Model> models;
    std::int64_t replicates = 0;  // 0 without a bootstrap
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
    std::string model;  // the name of the model these values are from
    std::int32_t examinees = 0;
    std::int32_t categories = 0;
    double reliability = std::numeric_limits<double>::quiet_NaN();
    IndexSet overall;
    std::optional<IndexSetSpread> overallSpreads;  // when bootstrapped
    std::optional<double> reliabilitySe;           // when bootstrapped
    std::vector<CutSummary> cuts;
    std::vector<GroupSummary> groups;
    // The models run beside the first, each with its own values (their file,
    // folder, status and error are the test's), and all of them compared.
    std::vector<TestSummary> otherModels;
    std::optional<ComparisonSummary> comparison;

    bool ran() const { return status == 0; }
};

// The summary values of a run that was analysed with its tables, with those
// of each further model it ran.
TestSummary summarizeTest(const Results& results);

// One row of the program's summary files: a test as one of its models gave
// it. A test that ran gives a row for each model, the primary first; one that
// failed gives one row, with no model.
struct ModelRow {
    const TestSummary* test = nullptr;    // file, status and error
    const TestSummary* values = nullptr;  // the model's name and values
    std::size_t testIndex = 0;
    std::string folder;  // the folder of the model's own results files, as a link path
};

// The rows of `tests`, in test order and then model order: the primary's
// folder is the test's, a further model's its folder's models/NAME.
std::vector<ModelRow> modelRows(const std::vector<TestSummary>& tests);

// The rows of the program's summary_groups.csv for one run: one per subgroup
// variable and level.
std::vector<GroupSummary> groupSummaries(const Results& results);

}  // namespace tl
