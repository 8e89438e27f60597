#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "input/data_source.h"

namespace tl {

// One item set's scores held by the caller: `rows` examinees of `columns` item
// scores each, row after row.
struct ScoreMatrix {
    std::int32_t rows = 0;
    std::int32_t columns = 0;
    std::vector<double> values;
};

// Item scores handed over in memory, one matrix per item set in card order
// (from R, or a test). A matrix's columns must match the set's item count.
class MemoryDataSource : public DataSource {
  public:
    explicit MemoryDataSource(std::vector<ScoreMatrix> sets) : sets_(std::move(sets)) {}
    std::int32_t readSet(std::size_t set, std::int32_t examinees, const RecordSink& sink) override;
    std::string sourceName(std::size_t set) const override {
        return "item set " + std::to_string(set + 1);
    }
    // The examinees' groups, one level a matrix row.
    void setGroups(ExamineeGroups groups) { groups_ = std::move(groups); }
    const ExamineeGroups* groups() const override {
        return groups_.variables.empty() ? nullptr : &groups_;
    }

  private:
    std::vector<ScoreMatrix> sets_;
    ExamineeGroups groups_;
};

}  // namespace tl
