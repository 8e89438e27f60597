#include "input/table_data_source.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <new>
#include <unordered_map>

#include "core/bit_pattern.h"
#include "core/counted.h"
#include "core/edit_distance.h"
#include "core/errors.h"
#include "core/one_line.h"
#include "input/group_levels.h"
#include "platform/large_pages.h"

namespace tl {

namespace {

struct HeaderRead {};  // stops a table read once the header is known

class HeaderVisitor : public TableVisitor {
  public:
    ColumnPick header(const std::vector<std::string>& names) override {
        names_ = names;
        throw HeaderRead{};
    }
    void row(std::int64_t, std::span<const TableCell>, std::string_view) override {}
    std::vector<std::string> names_;
};

class Columns {
  public:
    Columns(const AnalysisFile& file, const std::vector<std::string>& header)
        : file_(file), header_(header) {}

    std::size_t find(const std::string& name, const std::string& key) const {
        std::size_t found = header_.size();
        for (std::size_t c = 0; c < header_.size(); ++c) {
            if (header_[c] != name) continue;
            if (found != header_.size())
                throw file_.error(
                    key, "the table " + file_.table->file + " has two columns named " + name);
            found = c;
        }
        if (found == header_.size()) {
            const std::vector<std::string> near = closestNames(name, header_);
            std::string hint;
            for (std::size_t i = 0; i < near.size(); ++i)
                hint += (i ? ", " : "; the closest are ") + near[i];
            InputError error =
                file_.error(key, "no column named " + name + " in " + file_.table->file + hint,
                            FindingCode::ColumnUnknown, near.empty() ? "" : near.front());
            Finding finding = error.finding();
            finding.column = name;
            throw InputError(std::move(finding));
        }
        return found;
    }

  private:
    const AnalysisFile& file_;
    const std::vector<std::string>& header_;
};

}  // namespace

std::vector<std::string> readTableHeader(const TableSource& source) {
    HeaderVisitor visitor;
    try {
        readTable(source, visitor);
    } catch (const HeaderRead&) {
    }
    return visitor.names_;
}

ResolvedColumns resolveColumns(AnalysisFile& file, const std::vector<std::string>& header) {
    const Columns columns(file, header);
    ResolvedColumns resolved;
    if (!file.table->id.empty()) resolved.id = columns.find(file.table->id, "data.id");
    std::unordered_map<std::size_t, std::size_t> setOfColumn;
    for (std::size_t s = 0; s < file.columns.size(); ++s) {
        const SetColumns& set = file.columns[s];
        const std::string key = "sets[" + std::to_string(s + 1) + "].items";
        std::vector<std::size_t> items;
        if (!set.range.empty()) {
            const std::size_t colon = set.range.find(':');
            const std::size_t first = columns.find(set.range.substr(0, colon), key);
            const std::size_t last = columns.find(set.range.substr(colon + 1), key);
            if (last < first) {
                throw file.error(
                    key, "the range " + set.range + " ends before it starts: " + header[last] +
                             " comes before " + header[first] + " in " + file.table->file);
            }
            for (std::size_t c = first; c <= last; ++c) items.push_back(c);
        } else {
            for (const std::string& name : set.names) items.push_back(columns.find(name, key));
        }
        for (std::size_t c : items) {
            if (resolved.id && c == *resolved.id)
                throw file.error(key, "the ID column " + header[c] + " cannot be an item");
            const auto [at, fresh] = setOfColumn.emplace(c, s);
            if (!fresh) {
                Finding& f = resolved.warnings.emplace_back(
                    file.error(key,
                               "the item " + header[c] + " is also in sets[" +
                                   std::to_string(at->second + 1) + "]; it counts in both",
                               FindingCode::ItemInTwoSets)
                        .finding());
                f.severity = Severity::Warning;
                f.column = header[c];
            }
        }
        std::vector<bool> reversed(items.size(), false);
        for (const std::string& name : set.reverse) {
            const std::size_t c = columns.find(name, "sets[" + std::to_string(s + 1) + "].reverse");
            const auto pos = std::find(items.begin(), items.end(), c);
            if (pos == items.end()) {
                throw file.error("sets[" + std::to_string(s + 1) + "].reverse",
                                 name + " is not one of this set's items");
            }
            reversed[static_cast<std::size_t>(pos - items.begin())] = true;
        }
        if (items.size() > static_cast<std::size_t>(INT32_MAX))
            throw file.error(key, "too many items");
        file.card.itemSets[s].itemCount = static_cast<std::int32_t>(items.size());
        resolved.items.push_back(std::move(items));
        resolved.reversed.push_back(std::move(reversed));
    }
    for (std::size_t g = 0; g < file.table->groups.size(); ++g) {
        const std::string key = "data.groups[" + std::to_string(g + 1) + "]";
        const std::size_t c = columns.find(file.table->groups[g], key);
        if (resolved.id && c == *resolved.id)
            throw file.error(key, "the ID column " + header[c] + " cannot be a grouping column");
        if (setOfColumn.contains(c))
            throw file.error(key, "the item " + header[c] + " cannot be a grouping column");
        resolved.groups.push_back(c);
    }
    return resolved;
}

void resolveAbilityColumns(const AnalysisFile& file, const std::vector<std::string>& header,
                           const std::string& theta, const std::string& thetaSe,
                           ResolvedColumns& resolved) {
    const Columns columns(file, header);
    const auto resolve = [&](const std::string& name, const std::string& key) {
        const std::size_t c = columns.find(name, key);
        bool taken = resolved.id && c == *resolved.id;
        for (const auto& items : resolved.items)
            taken = taken || std::find(items.begin(), items.end(), c) != items.end();
        taken = taken || std::find(resolved.groups.begin(), resolved.groups.end(), c) !=
                             resolved.groups.end();
        if (taken)
            throw file.error(key,
                             "the column " + header[c] +
                                 " is the ID, an item or a grouping column; name the "
                                 "column that holds the examinees' abilities",
                             FindingCode::IrtTheta);
        return c;
    };
    resolved.theta = resolve(theta, "irt.theta");
    if (!thetaSe.empty()) resolved.thetaSe = resolve(thetaSe, "irt.theta_se");
}

// One pass over the table: each row's cells recoded and kept, or the row
// left out.
class TableScan : public TableVisitor {
  public:
    TableScan(const AnalysisFile& file, const ResolvedColumns& columns, TableDataSource& out)
        : file_(file), columns_(columns), out_(out) {
        for (std::size_t s = 0; s < columns.items.size(); ++s) {
            const ItemSet& set = file.card.itemSets[s];
            const MissingRule rule = file.columns[s].missing.value_or(file.table->missing);
            sets_.push_back({rule, reverseKeySum(set)});
        }
        out_.summary_.sets.resize(columns.items.size());
        for (std::size_t s = 0; s < columns.items.size(); ++s) {
            for (std::size_t j = 0; j < columns.items[s].size(); ++j)
                items_.push_back({columns.items[s][j], s, columns.reversed[s][j]});
        }
        keptCodes_.assign(columns.items.size(), 0);
        noCodes_ = file.table->missingCodes.empty();
        for (std::size_t g = 0; g < columns.groups.size(); ++g) {
            groups_.emplace_back(file.table->groups[g]);
            const auto labels = file.table->levelLabels.find(file.table->groups[g]);
            if (labels == file.table->levelLabels.end()) continue;
            for (const auto& [value, name] : labels->second) groups_[g].label(value, name);
        }
        for (const Item& item : items_) plain_.push_back(noCodes_ && !item.reversed);
        std::error_code error;
        const std::uintmax_t bytes = std::filesystem::file_size(file.table->source.path, error);
        fileBytes_ = error ? 0 : bytes;
    }

    ColumnPick header(const std::vector<std::string>& names) override {
        names_ = names;
        // A column in two sets is read once and handed to both.
        ColumnPick pick;
        pick.id = columns_.id;
        pick.texts = columns_.groups;
        std::unordered_map<std::size_t, std::size_t> cellOf;
        for (const auto& items : columns_.items) {
            for (std::size_t c : items) {
                const auto [at, fresh] = cellOf.emplace(c, pick.numbers.size());
                if (fresh) pick.numbers.push_back(c);
                cellOfItem_.push_back(at->second);
            }
        }
        if (columns_.theta) {
            thetaCell_ = pick.numbers.size();
            pick.numbers.push_back(*columns_.theta);
        }
        if (columns_.thetaSe) {
            thetaSeCell_ = pick.numbers.size();
            pick.numbers.push_back(*columns_.thetaSe);
        }
        reserveRows(names.size());
        return pick;
    }

    void row(std::int64_t row, std::span<const TableCell> cells, std::string_view id) override {
        out_.summary_.rows = row;
        bool omitted = false;
        // Each set's codes go straight to its store and are taken back when
        // the row is not kept.
        std::size_t i = 0;
        for (std::size_t s = 0; s < columns_.items.size(); ++s) {
            CodeStore& codes = out_.codes_[s];
            keptCodes_[s] = codes.size();
            const std::size_t width = columns_.items[s].size();
            std::uint16_t* out = codes.extend(width);
            for (std::size_t j = 0; j < width; ++j, ++i) {
                const TableCell& cell = cells[cellOfItem_[i]];
                // The common cell: a score, no missing codes, not reverse-keyed.
                if (plain_[i] != 0 && !cell.missing) {
                    const std::int32_t known = cell.digit >= 0 ? digitCodes_[cell.digit] : -1;
                    out[j] = known >= 0 ? static_cast<std::uint16_t>(known) : codeOf(cell.value);
                } else {
                    out[j] = unusualCode(i, cell, row, omitted);
                }
            }
        }
        if (columns_.theta) takeAbility(row, cells, omitted);
        if (omitted || errors_ > 0) {
            for (std::size_t s = 0; s < columns_.items.size(); ++s)
                out_.codes_[s].truncate(keptCodes_[s]);
            // Under an error the run stops after the scan; the scan goes on counting.
            if (omitted) ++out_.summary_.omittedExaminees;
            return;
        }
        if (out_.records_.rows.size() >= static_cast<std::size_t>(INT32_MAX))
            throw InputError(oneLine(out_.file_ + ": more examinees than one run can hold"));
        out_.records_.rows.push_back(row);
        if (columns_.id) out_.records_.ids.emplace_back(id);
        for (std::size_t g = 0; g < groups_.size(); ++g) groups_[g].add(texts_[g]);
    }

    void rowTexts(std::span<const std::string> texts) override { texts_ = texts; }

    // The table's own value labels, unless the analysis file names the
    // column's levels itself.
    void valueLabels(std::size_t text, const std::vector<ValueLabel>& labels) override {
        if (file_.table->levelLabels.contains(file_.table->groups.at(text))) return;
        for (const ValueLabel& l : labels) groups_.at(text).label(l.value, l.label);
    }

    void finish() const {
        if (errors_ == 0) {
            countDuplicateIds();
            for (const GroupLevelCollector& group : groups_)
                out_.groups_.variables.push_back(group.finish());
            noteUnlabelledLevels();
            out_.groups_.minGroup = file_.table->minGroup;
            return;
        }
        throw InputError(
            oneLine(out_.file_ + ": " + std::to_string(errors_) + " missing response" +
                    (errors_ == 1 ? "" : "s") + ", the first at row " + std::to_string(firstRow_) +
                    ", column " + firstColumn_ +
                    ". Give missing = \"omit\" to leave such examinees out, or a score "
                    "(missing = 0), in [data] or the set"));
    }

  private:
    // Item i's code when its cell is missing, holds a missing code, or the item
    // is reverse-keyed; counts what became of it. A missing cell under the
    // rules "error" and "omit" gets code 0, as its row is not kept.
    std::uint16_t unusualCode(std::size_t i, const TableCell& cell, std::int64_t row,
                              bool& omitted) {
        const Item& item = items_[i];
        const bool coded = !cell.missing && !noCodes_ && isCode(cell.value);
        if (!cell.missing && !coded) {
            if (!item.reversed) return codeOf(cell.value);
            ++out_.summary_.sets[item.set].reversedCells;
            return codeOf(sets_[item.set].reverseSum - cell.value);
        }
        SetMissing& counts = out_.summary_.sets[item.set];
        ++counts.missingCells;
        counts.codedCells += coded;
        switch (sets_[item.set].rule.kind) {
            case MissingRule::Kind::Error:
                if (errors_++ == 0) {
                    firstRow_ = row;
                    firstColumn_ = names_[item.column];
                }
                break;
            case MissingRule::Kind::Omit:
                omitted = true;
                break;
            case MissingRule::Kind::Score:
                ++counts.scoredCells;
                return codeOf(sets_[item.set].rule.score);
        }
        return 0;
    }

    // Room for as many rows as the table can hold: every row of a delimited
    // table takes at least a byte a column (its delimiters and line end). The
    // room is only reserved, so the memory a smaller table leaves untouched is
    // never used, and the kept scores are never copied as they grow.
    void reserveRows(std::size_t columns) {
        if (file_.table->source.format != TableFormat::Delimited || columns == 0) return;
        const std::uintmax_t rows = fileBytes_ / columns + 1;
        if (rows > static_cast<std::uintmax_t>(INT32_MAX)) return;
        const auto n = static_cast<std::size_t>(rows);
        try {
            for (std::size_t s = 0; s < columns_.items.size(); ++s)
                out_.codes_[s].reserve(n * columns_.items[s].size());
            out_.records_.rows.reserve(n);
            if (columns_.id) out_.records_.ids.reserve(n);
        } catch (const std::bad_alloc&) {
            // A table of long rows can be far from the bound: without the room
            // the stores grow as they must.
        }
    }

    // The row's ability and its SE. A missing one leaves the row out under
    // the table's rule "omit" and is an error otherwise; a value that is not
    // finite, or an SE not above 0, is an error.
    void takeAbility(std::int64_t row, std::span<const TableCell> cells, bool& omitted) {
        if (omitted) return;
        const auto value = [&](std::size_t cell, const std::string& key, bool positive) {
            const TableCell& c = cells[cell];
            const std::string& column =
                names_[key == "irt.theta" ? *columns_.theta : *columns_.thetaSe];
            if (c.missing) {
                if (file_.table->missing.kind == MissingRule::Kind::Omit) {
                    omitted = true;
                    return 0.0;
                }
                abilityError(row, column, key, "",
                             "the examinee has no value; give every examinee one, or "
                             "missing = \"omit\" in [data] to leave such examinees out");
            }
            if (!std::isfinite(c.value) || (positive && !(c.value > 0.0)))
                abilityError(row, column, key, std::to_string(c.value),
                             positive ? "a standard error must be a number above 0"
                                      : "an ability must be a finite number");
            return c.value;
        };
        const double theta = value(thetaCell_, "irt.theta", false);
        const double se = columns_.thetaSe ? value(thetaSeCell_, "irt.theta_se", true) : 0.0;
        if (omitted || errors_ > 0) return;
        out_.abilities_.theta.push_back(theta);
        if (columns_.thetaSe) out_.abilities_.se.push_back(se);
    }

    [[noreturn]] void abilityError(std::int64_t row, const std::string& column,
                                   const std::string& key, const std::string& value,
                                   const std::string& what) const {
        Finding f;
        f.code = FindingCode::IrtTheta;
        f.file = out_.file_;
        f.line = row;
        f.column = column;
        f.key = key;
        f.value = value;
        f.text = oneLine(out_.file_ + ": row " + std::to_string(row) + ", column " + column + ": " +
                         what);
        throw InputError(std::move(f));
    }

    // Repeated IDs: none when the IDs rise row by row; otherwise each ID is
    // looked up among the earlier rows' in an open hash table sized to the
    // rows (a node-based hash set of a million strings, or a sort, costs more
    // than the rest of the read).
    // A value of a column the analysis file labels that has no label: a level
    // of its own, said so (a stray "3" or "M" among 1 and 2).
    void noteUnlabelledLevels() const {
        for (std::size_t g = 0; g < groups_.size(); ++g) {
            const std::string& column = file_.table->groups[g];
            if (!file_.table->levelLabels.contains(column)) continue;
            for (const auto& [value, count] : groups_[g].unlabelled()) {
                Finding& f = out_.unlabelledLevels_.emplace_back();
                f.code = FindingCode::LevelUnlabelled;
                f.severity = Severity::Warning;
                f.file = out_.summary_.file;
                f.column = column;
                f.key = "data.level_labels." + column;
                f.value = value;
                f.text = oneLine(out_.summary_.file + ": column " + column + ": the value " +
                                 value + " (" + counted(count, "examinee", "examinees") +
                                 ") has no label in [data.level_labels]; it is reported as a "
                                 "level of its own. Label it, or recode it");
            }
        }
    }

    void countDuplicateIds() const {
        const std::vector<std::string>& ids = out_.records_.ids;
        if (ids.empty()) return;
        // Tables are often sorted by their IDs: rising IDs repeat none.
        bool rising = true;
        for (std::size_t i = 1; i < ids.size() && rising; ++i) rising = ids[i - 1] < ids[i];
        if (rising) return;
        // A slot holds a row (1-based; 0: free) and its ID's hash, so that
        // one look-up touches one place.
        struct Slot {
            std::uint32_t row = 0;
            std::uint32_t hash = 0;
        };
        const std::size_t slots = std::bit_ceil(ids.size() * 2);
        std::vector<Slot> table(slots);
        std::size_t firstRepeat = ids.size();
        std::int64_t repeats = 0;
        for (std::size_t i = 0; i < ids.size(); ++i) {
            const std::size_t hash = std::hash<std::string>{}(ids[i]);
            // The hash's high half where it has one (a 32-bit build's is
            // the whole hash); only a filter before the names are compared.
            const auto shortHash = static_cast<std::uint32_t>(static_cast<std::uint64_t>(hash) >>
                                                              (sizeof hash > 4 ? 32 : 0));
            for (std::size_t slot = hash & (slots - 1);; slot = (slot + 1) & (slots - 1)) {
                Slot& at = table[slot];
                if (at.row == 0) {
                    at = {static_cast<std::uint32_t>(i + 1), shortHash};
                    break;
                }
                if (at.hash == shortHash && ids[at.row - 1] == ids[i]) {
                    ++repeats;
                    firstRepeat = std::min(firstRepeat, i);
                    break;
                }
            }
        }
        out_.summary_.duplicateIds = repeats;
        if (repeats > 0) {
            out_.firstDuplicate_ = ids[firstRepeat];
            out_.firstDuplicateRow_ = out_.records_.rows[firstRepeat];
        }
    }

    // Every item of every set, in set order, as the row loop wants it.
    struct Item {
        std::size_t column;
        std::size_t set;
        bool reversed;
    };

    struct SetRule {
        MissingRule rule;
        double reverseSum;  // lowest plus highest score point
    };

    bool isCode(double value) const {
        const std::vector<double>& codes = file_.table->missingCodes;
        return std::find(codes.begin(), codes.end(), value) != codes.end();
    }

    std::uint16_t codeOf(double value) {
        // Small whole scores by a table that holds each one's bits beside its
        // code (no branch on which score it is, no conversion back to check
        // it), others by a short scan; the map holds the rest.
        const std::uint64_t bits = bitsOfDouble(value);
        if (value >= 0.0 && value < static_cast<double>(kSmall)) {
            const SmallCode& small =
                smallCodes_[static_cast<std::uint32_t>(static_cast<std::int32_t>(value))];
            if (small.bits == bits) return small.code;
        }
        const std::size_t scanned = std::min<std::size_t>(knownBits_.size(), 16);
        for (std::size_t v = 0; v < scanned; ++v) {
            if (knownBits_[v] == bits) return static_cast<std::uint16_t>(v);
        }
        return newCode(value, bits);
    }

    [[gnu::noinline]] std::uint16_t newCode(double value, std::uint64_t bits) {
        const auto [at, fresh] = index_.emplace(bits, out_.values_.size());
        if (fresh) {
            if (out_.values_.size() > UINT16_MAX)
                throw InputError(oneLine(out_.file_ + ": more than 65,536 different item scores"));
            out_.values_.push_back(value);
            knownBits_.push_back(bits);
            if (value >= 0.0 && value < static_cast<double>(kSmall)) {
                const auto whole = static_cast<std::size_t>(value);
                if (bitsOfDouble(static_cast<double>(whole)) == bits) {
                    smallCodes_[whole] = {bits, static_cast<std::uint16_t>(at->second)};
                    if (whole < digitCodes_.size())
                        digitCodes_[whole] = static_cast<std::int32_t>(at->second);
                }
            }
        }
        return static_cast<std::uint16_t>(at->second);
    }

    const AnalysisFile& file_;
    const ResolvedColumns& columns_;
    TableDataSource& out_;
    std::vector<SetRule> sets_;
    std::vector<std::string> names_;
    std::vector<std::size_t> cellOfItem_;          // per item of every set, its cell in the row
    std::size_t thetaCell_ = 0, thetaSeCell_ = 0;  // the abilities' cells in the row
    std::vector<Item> items_;
    std::vector<std::size_t> keptCodes_;  // per set: its codes before the row
    bool noCodes_ = true;
    // Per item: 1 when there are no missing codes to look for and it is not reversed.
    std::vector<std::uint8_t> plain_;
    std::uintmax_t fileBytes_ = 0;
    std::unordered_map<std::uint64_t, std::size_t> index_;
    std::vector<std::uint64_t> knownBits_;  // the bits of each code's value
    static constexpr std::size_t kSmall = 256;
    // The code of each small whole score, beside its bits; the bits of a NaN
    // (no cell holds one) mark a score without a code yet.
    struct SmallCode {
        std::uint64_t bits = ~std::uint64_t{0};
        std::uint16_t code = 0;
    };
    std::array<SmallCode, kSmall> smallCodes_{};
    // The code of each one-digit score the parser named (-1: none yet).
    std::array<std::int32_t, 10> digitCodes_ = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    std::vector<GroupLevelCollector> groups_;  // per [data].groups column
    std::span<const std::string> texts_;       // the row's grouping cells
    std::int64_t errors_ = 0;
    std::int64_t firstRow_ = 0;
    std::string firstColumn_;
};

void CodeStore::reserve(std::size_t capacity) {
    if (capacity > capacity_) grow(capacity);
}

void CodeStore::grow(std::size_t needed) {
    const std::size_t capacity = std::max(needed, 2 * capacity_);
    // Default-initialised: the new room is not written until it is used.
    std::unique_ptr<std::uint16_t[]> data(new std::uint16_t[capacity]);
    adviseLargePages(data.get(), capacity * sizeof(std::uint16_t));
    if (size_ > 0) std::memcpy(data.get(), data_.get(), size_ * sizeof(std::uint16_t));
    data_ = std::move(data);
    capacity_ = capacity;
}

TableDataSource::TableDataSource(const AnalysisFile& file, const ResolvedColumns& columns)
    : file_(file.table->source.path) {
    summary_.file = file.table->file;
    codes_.resize(columns.items.size());
    for (const auto& items : columns.items) itemCounts_.push_back(items.size());
    TableScan scan(file, columns, *this);
    readTable(file.table->source, scan);
    scan.finish();
}

std::int32_t TableDataSource::readSet(std::size_t set, std::int32_t examinees,
                                      const RecordSink& sink) {
    const auto kept = static_cast<std::int32_t>(records_.rows.size());
    const std::int32_t count = examinees < 0 ? kept : examinees;
    if (count > kept)
        throw InputError(oneLine(file_ + " has " + std::to_string(kept) + " examinees; " +
                                 std::to_string(count) + " are needed"));
    const std::size_t width = itemCounts_[set];
    std::vector<double> scores(width);
    const std::uint16_t* code = codes_[set].data();
    for (std::int32_t e = 0; e < count; ++e) {
        for (std::size_t j = 0; j < width; ++j) scores[j] = values_[*code++];
        sink(scores, 0);
    }
    return count;
}

std::string TableDataSource::sourceName(std::size_t set) const {
    return summary_.file + " (set " + std::to_string(set + 1) + ")";
}

std::vector<Finding> TableDataSource::findings() const {
    std::vector<Finding> found;
    const auto add = [&](FindingCode code, Severity severity, std::string text) {
        Finding& f = found.emplace_back();
        f.code = code;
        f.severity = severity;
        f.text = oneLine(text);
        f.file = summary_.file;
    };
    if (summary_.duplicateIds > 0) {
        add(FindingCode::DuplicateIds, Severity::Warning,
            summary_.file + ": " + counted(summary_.duplicateIds, "row repeats", "rows repeat") +
                " an earlier row's ID, the first at row " + std::to_string(firstDuplicateRow_) +
                " (ID " + firstDuplicate_ + ")");
        found.back().line = firstDuplicateRow_;
        found.back().value = firstDuplicate_;
        found.back().key = "data.id";
    }
    found.insert(found.end(), unlabelledLevels_.begin(), unlabelledLevels_.end());
    if (summary_.omittedExaminees > 0) {
        add(FindingCode::RowsOmitted, Severity::Note,
            summary_.file + ": " + std::to_string(summary_.omittedExaminees) + " of " +
                counted(summary_.rows, "examinee", "examinees") +
                " left out for missing responses (missing = \"omit\")");
    }
    for (std::size_t s = 0; s < summary_.sets.size(); ++s) {
        if (summary_.sets[s].scoredCells > 0) {
            add(FindingCode::MissingScored, Severity::Note,
                summary_.file + ": set " + std::to_string(s + 1) + ": " +
                    counted(summary_.sets[s].scoredCells, "missing response", "missing responses") +
                    " scored as the set's missing score");
            found.back().key = "sets[" + std::to_string(s + 1) + "].missing";
        }
    }
    return found;
}

}  // namespace tl
