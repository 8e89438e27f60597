#pragma once

#include <cstddef>
#include <vector>

#include "tables/table.h"

namespace tl {

// Each column's role in a row, as the readers look it up for every cell: the
// slot of a number, the ID, the slot of a grouping text, or none.
class ColumnRoles {
  public:
    enum class Kind { Ignored, Number, Id, Text };
    struct Role {
        Kind kind = Kind::Ignored;
        std::size_t slot = 0;  // in ColumnPick::numbers or ColumnPick::texts
    };

    ColumnRoles() = default;
    ColumnRoles(const ColumnPick& picked, std::size_t columns) : codes_(columns, kIgnored) {
        for (std::size_t k = 0; k < picked.numbers.size(); ++k)
            codes_.at(picked.numbers[k]) = static_cast<int>(k);
        if (picked.id) codes_.at(*picked.id) = kId;
        for (std::size_t t = 0; t < picked.texts.size(); ++t)
            codes_.at(picked.texts[t]) = kFirstText - static_cast<int>(t);
    }

    std::size_t size() const { return codes_.size(); }

    // The role of a column below size().
    Role operator[](std::size_t column) const {
        const int code = codes_[column];
        if (code >= 0) return {Kind::Number, static_cast<std::size_t>(code)};
        if (code == kId) return {Kind::Id, 0};
        if (code <= kFirstText) return {Kind::Text, static_cast<std::size_t>(kFirstText - code)};
        return {};
    }

  private:
    // One int a column, read for every cell: a number's slot, or below zero.
    static constexpr int kIgnored = -1;
    static constexpr int kId = -2;
    static constexpr int kFirstText = -3;  // text t is kFirstText - t

    std::vector<int> codes_;
};

}  // namespace tl
