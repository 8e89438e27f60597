#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tl {

// The names an analysis file gives a run; none changes a number. A card run
// has none of them, and its outputs name sets by data file and categories
// 1 to K.
struct RunLabels {
    std::string title;
    std::vector<std::string> setNames;        // per set; an empty name: unnamed
    std::vector<std::string> categoryLabels;  // empty, or one per category
};

// Who each examinee is, when the scores came from a table: the table row
// (counted from 1 after the header; omitted rows leave gaps) and the ID cell.
struct ExamineeRecords {
    std::vector<std::int64_t> rows;
    std::vector<std::string> ids;  // empty when the table has no ID column
};

// What became of the missing responses of one item set.
struct SetMissing {
    std::int64_t missingCells = 0;   // empty, NA, ".", declared missing, or a missing code
    std::int64_t codedCells = 0;     // of which matched one of the missing codes
    std::int64_t scoredCells = 0;    // scored as the set's missing score
    std::int64_t reversedCells = 0;  // item scores turned by reverse keying
};

// The table's missing responses, counted before the model saw the data.
struct TableSummary {
    std::string file;
    std::int64_t rows = 0;              // data rows read
    std::int64_t omittedExaminees = 0;  // rows left out under missing = "omit"
    std::int64_t duplicateIds = 0;      // rows whose ID an earlier row had
    std::vector<SetMissing> sets;
};

}  // namespace tl
