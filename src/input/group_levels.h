#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/examinee_groups.h"

namespace tl {

// Gathers one grouping column's cells, examinee by examinee in record order,
// and then orders its levels: the distinct values ascending, in numeric order
// when every value is a number (equal numbers written differently by their
// text), in byte order otherwise, and the level "(missing)" last. A value with
// a value label is named by its label.
class GroupLevelCollector {
  public:
    // `decimalComma`: "0,5" is the number 0.5 (delimited text whose delimiter
    // is not a comma).
    explicit GroupLevelCollector(std::string name, bool decimalComma = false);

    // The next examinee's cell; blanks around it are ignored, and an empty
    // cell, "NA" or "." is missing.
    void add(std::string_view text);
    void addMissing();
    // Names a value (as its cells are written) by its label.
    void label(const std::string& value, const std::string& name);

    std::size_t examinees() const { return codes_.size(); }
    // The values without a label, each with its count of examinees, in the
    // order first seen.
    std::vector<std::pair<std::string, std::int64_t>> unlabelled() const;
    GroupingVariable finish() const;

  private:
    std::string name_;
    bool decimalComma_;
    std::unordered_map<std::string, std::uint32_t> codeOf_;
    std::vector<std::string> values_;   // per code, first seen first
    std::vector<std::uint32_t> codes_;  // per examinee; kMissingCode: missing
    std::map<std::string, std::string> labels_;
    static constexpr std::uint32_t kMissingCode = UINT32_MAX;
    static constexpr std::size_t kScanned = 16;  // values looked up by a scan
};

}  // namespace tl
