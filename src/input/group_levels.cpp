#include "input/group_levels.h"

#include <algorithm>
#include <numeric>
#include <optional>

#include "tables/table.h"

namespace tl {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

GroupLevelCollector::GroupLevelCollector(std::string name, bool decimalComma)
    : name_(std::move(name)), decimalComma_(decimalComma) {}

void GroupLevelCollector::add(std::string_view text) {
    text = trimmed(text);
    if (text.empty() || text == "NA" || text == ".") {
        addMissing();
        return;
    }
    // Few distinct values, many examinees: the look-up is the common path,
    // a short scan while the values are few and a hash table beyond.
    if (values_.size() <= kScanned) {
        for (std::size_t v = 0; v < values_.size(); ++v) {
            if (values_[v] == text) {
                codes_.push_back(static_cast<std::uint32_t>(v));
                return;
            }
        }
    }
    const auto [at, fresh] =
        codeOf_.try_emplace(std::string(text), static_cast<std::uint32_t>(values_.size()));
    if (fresh) values_.emplace_back(text);
    codes_.push_back(at->second);
}

void GroupLevelCollector::addMissing() {
    codes_.push_back(kMissingCode);
}

void GroupLevelCollector::label(const std::string& value, const std::string& name) {
    labels_[value] = name;
}

std::vector<std::pair<std::string, std::int64_t>> GroupLevelCollector::unlabelled() const {
    std::vector<std::int64_t> counts(values_.size(), 0);
    for (const std::uint32_t code : codes_) {
        if (code != kMissingCode) ++counts[code];
    }
    std::vector<std::pair<std::string, std::int64_t>> out;
    for (std::size_t v = 0; v < values_.size(); ++v) {
        if (!labels_.contains(values_[v])) out.emplace_back(values_[v], counts[v]);
    }
    return out;
}

GroupingVariable GroupLevelCollector::finish() const {
    const std::size_t count = values_.size();
    std::vector<std::optional<double>> numbers(count);
    bool allNumbers = true;
    for (std::size_t v = 0; v < count; ++v) {
        const std::optional<TableCell> cell = cellOfText(values_[v], decimalComma_);
        if (cell && !cell->missing) {
            numbers[v] = cell->value;
        } else {
            allNumbers = false;
        }
    }
    std::vector<std::uint32_t> order(count);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        if (allNumbers && *numbers[a] != *numbers[b]) return *numbers[a] < *numbers[b];
        return values_[a] < values_[b];
    });
    GroupingVariable variable;
    variable.name = name_;
    std::vector<std::uint32_t> levelOfCode(count);
    for (std::size_t l = 0; l < count; ++l) {
        levelOfCode[order[l]] = static_cast<std::uint32_t>(l);
        const std::string& value = values_[order[l]];
        const auto named = labels_.find(value);
        variable.levels.push_back(named != labels_.end() ? named->second : value);
    }
    const bool anyMissing = std::find(codes_.begin(), codes_.end(), kMissingCode) != codes_.end();
    if (anyMissing) variable.levels.emplace_back(kMissingLevel);
    variable.levelOf.reserve(codes_.size());
    for (std::uint32_t code : codes_) {
        variable.levelOf.push_back(code == kMissingCode ? static_cast<std::uint32_t>(count)
                                                        : levelOfCode[code]);
    }
    return variable;
}

}  // namespace tl
