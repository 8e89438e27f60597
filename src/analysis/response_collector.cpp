#include "analysis/response_collector.h"

#include "model/irt/ability.h"

namespace tl {

ResponseCollector::ResponseCollector(const ControlCard& card, std::size_t set, ResponseTable& table,
                                     bool active)
    : set_(&card.itemSets[set]), table_(&table), first_(set == 0), active_(active) {
    if (!active_) return;
    std::size_t total = 0;
    for (std::size_t s = 0; s < card.itemSets.size(); ++s) {
        if (s == set) offset_ = total;
        total += static_cast<std::size_t>(card.itemSets[s].itemCount);
    }
    table.itemCount = total;
    if (first_) table.cells.clear();
}

void ResponseCollector::add(std::span<const double> scores) {
    if (!active_) return;
    const std::size_t width = table_->itemCount;
    if (first_) table_->cells.resize(table_->cells.size() + width, irt::kNotAnswered);
    std::uint8_t* row = table_->cells.data() + row_ * width + offset_;
    const std::vector<double>& points = set_->scorePoints;
    for (std::size_t j = 0; j < scores.size(); ++j) {
        std::uint8_t category = irt::kNotAnswered;
        for (std::size_t k = 0; k < points.size() && k < irt::kNotAnswered; ++k) {
            if (points[k] == scores[j]) {
                category = static_cast<std::uint8_t>(k);
                break;
            }
        }
        row[j] = category;
    }
    ++row_;
}

}  // namespace tl
