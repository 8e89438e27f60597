#pragma once

#include <optional>
#include <vector>

#include "core/control_card.h"
#include "input/data_source.h"

namespace tl {

// The data files the control card names. Each call opens the set's file anew,
// so every pass sees the file as it is then; a file that cannot be opened
// stops the run with the console line for a missing data file.
class FileDataSource : public DataSource {
  public:
    explicit FileDataSource(const ControlCard& card) : card_(card) {}
    std::int32_t readSet(std::size_t set, std::int32_t examinees, const RecordSink& sink) override;
    std::string sourceName(std::size_t set) const override { return card_.itemSets[set].dataFile; }
    RecordLayout layout(std::size_t set) const override;

  private:
    const ControlCard& card_;
    std::vector<std::optional<RecordLayout>> layouts_;  // per set, from its first read
};

}  // namespace tl
