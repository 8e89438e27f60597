#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/data_findings.h"
#include "input/free_format_reader.h"

namespace tl {

// Reads the records of one data file: each record is one free-format read of
// n item scores, usually one line. A record must give every item score: a null
// value or a slash before the last item is a missing response, which the model
// cannot take, and a value that is not a number is malformed input; both stop
// the run with a diagnostic naming the file, line, record and item.
class RecordReader {
  public:
    RecordReader(std::string_view text, const std::string& fileName, std::int32_t itemCount);

    // Reads the next record; false when the text ends before it is complete
    // (a record cut short by the end of the file is not a record).
    bool next();

    // The item scores of the record last read.
    std::span<const double> scores() const { return scores_; }
    // The line on which the record last read began.
    std::int64_t recordLine() const { return recordLine_; }
    // What the records read so far looked like.
    const RecordLayout& layout() const { return layout_; }

    // Counts the complete records left after the ones read (a malformed one
    // ends the count), into layout().extraRecords.
    void countRemainingRecords();

    // The diagnostic for a file that ends in the current record although
    // `needed` records were expected.
    std::string cutShortMessage(std::int32_t needed) const;

  private:
    bool takePlainRecord();
    // Notes the layout of a record read by the general reader: its text runs
    // from `begin`, the start of line `line`, to the reader's position; its
    // last value ends at `lastEnd`.
    void noteLayout(const char* begin, std::int64_t line, const char* lastEnd);

    FreeFormatReader reader_;
    std::int32_t itemCount_;
    std::vector<double> scores_;
    std::int64_t record_ = 0;
    std::int64_t recordLine_ = 0;
    RecordLayout layout_;
};

// Number of complete records of `itemCount` values in a data file's text.
std::int32_t countExaminees(std::string_view text, const std::string& fileName,
                            std::int32_t itemCount);

}  // namespace tl
