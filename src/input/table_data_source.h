#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/finding.h"
#include "core/run_labels.h"
#include "input/analysis_file.h"
#include "input/data_source.h"

namespace tl {

// Each set's items as positions in the table's header.
struct ResolvedColumns {
    std::vector<std::vector<std::size_t>> items;  // per set, in the set's item order
    std::vector<std::vector<bool>> reversed;      // per set and item
    std::optional<std::size_t> id;
    std::vector<std::size_t> groups;  // [data].groups, in their order
    // The columns of each examinee's ability estimate and its standard error.
    std::optional<std::size_t> theta, thetaSe;
    std::vector<Finding> warnings;  // an item in two sets
};

// The header row (or the variable names) of a table, without its rows.
std::vector<std::string> readTableHeader(const TableSource& source);

// Finds every set's items, reverse-keyed items and the ID column among the
// header's names and sets each table set's item count in `file.card`. A name
// that is not in the header, or a range that runs backwards, throws InputError
// naming the key and the closest names the header has.
ResolvedColumns resolveColumns(AnalysisFile& file, const std::vector<std::string>& header);

// Finds the columns of the examinees' given abilities (`theta`, and
// `thetaSe` unless empty) in `columns`. A column that is not in the header, or
// that is the ID, an item or a grouping column, throws InputError naming the
// key irt.theta or irt.theta_se.
void resolveAbilityColumns(const AnalysisFile& file, const std::vector<std::string>& header,
                           const std::string& theta, const std::string& thetaSe,
                           ResolvedColumns& columns);

// The examinees' item scores from one table. The table is read once, when the
// source is made: missing codes and reverse keys are applied, then each set's
// missing rule (an error, the row left out, or a score). The scores are kept
// compactly (two bytes a cell, the distinct values held once), and every pass
// gets each set's records decoded as doubles, bit for bit as read.
// A growing store of one set's score codes that hands out room for a row's
// codes at once. Room reserved and not yet used is never touched, so a
// generous reservation costs address space, not memory.
class CodeStore {
  public:
    void reserve(std::size_t capacity);
    std::uint16_t* extend(std::size_t count) {
        if (size_ + count > capacity_) grow(size_ + count);
        std::uint16_t* at = data_.get() + size_;
        size_ += count;
        return at;
    }
    void truncate(std::size_t size) { size_ = size; }
    std::size_t size() const { return size_; }
    const std::uint16_t* data() const { return data_.get(); }

  private:
    void grow(std::size_t needed);
    std::unique_ptr<std::uint16_t[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// readSet changes nothing, so one source may serve several runs on several
// threads at once.
class TableDataSource : public DataSource {
  public:
    TableDataSource(const AnalysisFile& file, const ResolvedColumns& columns);
    std::int32_t readSet(std::size_t set, std::int32_t examinees, const RecordSink& sink) override;
    std::string sourceName(std::size_t set) const override;

    const ExamineeRecords& records() const { return records_; }
    const ExamineeGroups* groups() const override {
        return groups_.variables.empty() ? nullptr : &groups_;
    }
    const GivenAbilities* abilities() const override {
        return abilities_.theta.empty() ? nullptr : &abilities_;
    }
    const TableSummary& summary() const { return summary_; }
    // What the reading found: rows left out and missing responses scored
    // (notes), repeated IDs (a warning).
    std::vector<Finding> findings() const;

  private:
    friend class TableScan;
    std::string file_;
    std::vector<std::size_t> itemCounts_;
    std::vector<CodeStore> codes_;  // per set: rows x items
    std::vector<double> values_;    // the value of each code
    ExamineeRecords records_;
    ExamineeGroups groups_;  // the kept examinees' levels of [data].groups
    GivenAbilities abilities_;
    TableSummary summary_;
    std::string firstDuplicate_;
    std::int64_t firstDuplicateRow_ = 0;
    // Values of a labelled grouping column that have no label.
    std::vector<Finding> unlabelledLevels_;
};

}  // namespace tl
