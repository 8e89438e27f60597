#pragma once

#include <cstdint>
#include <span>

#include "analysis/model_units.h"
#include "core/control_card.h"

namespace tl {

// Keeps each examinee's category index on every item of set `set` in
// `table`, as the set's records are read: the first set adds the examinees'
// rows, later sets fill their columns of the same rows. A score that is none
// of the set's score points is kept as not answered. Does nothing when not
// `active`.
class ResponseCollector {
  public:
    ResponseCollector(const ControlCard& card, std::size_t set, ResponseTable& table, bool active);

    void add(std::span<const double> scores);

  private:
    const ItemSet* set_ = nullptr;
    ResponseTable* table_ = nullptr;
    std::size_t offset_ = 0;
    std::size_t row_ = 0;
    bool first_ = false;
    bool active_ = false;
};

}  // namespace tl
