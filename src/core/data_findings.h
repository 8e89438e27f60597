#pragma once

#include <cstdint>
#include <string>

namespace tl {

// How often something was seen in a data file, and where first.
struct FindingCount {
    std::int64_t count = 0;
    std::int64_t firstRecord = 0;  // 1-based; 0 when never seen
    std::int64_t firstLine = 0;    // 1-based line of the data file; 0 when not from a file

    void note(std::int64_t record, std::int64_t line) {
        if (count++ == 0) firstRecord = record, firstLine = line;
    }
};

// The layout of a data file's records, as read. None of this changes a number:
// each is what the free-format rules make of the text, and often not what the
// analyst meant.
struct RecordLayout {
    FindingCount spanningRecords;   // a record that took more than one line
    FindingCount extraValues;       // a line with values beyond its record's last item
    FindingCount emptyLastField;    // a line that ends in a comma
    std::int64_t extraRecords = 0;  // complete records after the examinees, never read
};

// Item scores that equal none of the set's score points: they are counted
// under no point, so the examinee's proportions add up to less than 1.
struct UnmatchedScores {
    std::int64_t count = 0;
    std::int32_t examinees = 0;    // examinees with at least one
    std::int64_t firstRecord = 0;  // 1-based; 0 when there is none
    std::int32_t firstItem = 0;    // 1-based
    double firstValue = 0.0;
};

// What the first pass found in one set's scores.
struct SetFindings {
    std::string source;  // the data file, or a description of the scores' origin
    RecordLayout layout;
    UnmatchedScores unmatched;
    std::int64_t unmatchedLine = 0;  // line of the first unmatched score's record, when known
};

}  // namespace tl
