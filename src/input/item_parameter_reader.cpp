#include "input/item_parameter_reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <system_error>
#include <tuple>
#include <unordered_map>
#include <utility>

#include "core/decimal_number.h"
#include "core/edit_distance.h"
#include "core/errors.h"
#include "core/one_line.h"
#include "platform/file_names.h"

namespace tl {

namespace {

using irt::ItemModel;
using irt::ItemParameters;

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return out;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// A value as a message shows it: the shortest text that reads back as it
// (by printf, which every platform's library has for doubles).
std::string numberText(double value) {
    return shortestDecimal(value);
}

// The name of `known` nearest to `name`, when it is near enough to be a slip.
std::string nearestName(std::string_view name, std::span<const std::string> known) {
    std::string best;
    std::size_t bestDistance = std::max<std::size_t>(2, name.size() / 3) + 1;
    for (const std::string& k : known) {
        const std::size_t d = editDistance(name, k);
        if (d < bestDistance) bestDistance = d, best = k;
    }
    return best;
}

struct ModelName {
    std::string_view name;
    ItemModel model;
};
constexpr std::array<ModelName, 6> kModels{{{"1PL", ItemModel::Logistic},
                                            {"2PL", ItemModel::Logistic},
                                            {"3PL", ItemModel::Logistic},
                                            {"GRM", ItemModel::Graded},
                                            {"GPCM", ItemModel::PartialCredit},
                                            {"PCM", ItemModel::PartialCredit}}};

// "b3" -> 3 for the prefix 'b'; 0 when the name is not one of that series.
std::size_t seriesIndex(std::string_view name, char prefix) {
    if (name.size() < 2 || name[0] != prefix || name[1] == '0') return 0;
    std::size_t index = 0;
    const auto result = std::from_chars(name.data() + 1, name.data() + name.size(), index);
    if (result.ec != std::errc() || result.ptr != name.data() + name.size() || index > 1000)
        return 0;
    return index;
}

// Where each parameter's column is among the numbers a row hands over.
struct Slots {
    std::optional<std::size_t> a, b, c, u;
    std::vector<std::size_t> steps;  // b1 .. bm, or d1 .. dm
    bool intercepts = false;         // a1, d, d1 .. dm: the slope-intercept form
    // The columns' names as the header writes them, for messages.
    std::string aName = "a", bName = "b", cName = "c", uName = "u";
    std::vector<std::string> stepNames;
};

class ParameterVisitor : public TableVisitor {
  public:
    ParameterVisitor(std::string source, double D) : source_(std::move(source)), D_(D) {}

    ColumnPick header(const std::vector<std::string>& names) override {
        std::unordered_map<std::string, std::size_t> seen;
        std::optional<std::size_t> item, model;
        std::vector<std::optional<std::size_t>> b, d;
        std::optional<std::size_t> a, a1, bOnly, dOnly, c, u;
        const auto claim = [&](std::optional<std::size_t>& where, std::size_t column,
                               const std::string& key) {
            const auto [at, added] = seen.emplace(key, column);
            if (!added) {
                fail(FindingCode::IrtColumns, 0, names[column], "",
                     "the header names " + names[at->second] + " and " + names[column] +
                         ", one parameter twice; keep one column");
            }
            where = column;
        };
        for (std::size_t column = 0; column < names.size(); ++column) {
            const std::string name = lowered(trimmed(names[column]));
            if (name == "item") claim(item, column, name);
            if (name == "model") claim(model, column, name);
            if (name == "a") claim(a, column, name);
            if (name == "a1") claim(a1, column, name);
            if (name == "b") claim(bOnly, column, name);
            if (name == "d") claim(dOnly, column, name);
            if (name == "c" || name == "g") claim(c, column, "c");
            if (name == "u") claim(u, column, name);
            for (const char prefix : {'b', 'd'}) {
                const std::size_t k = seriesIndex(name, prefix);
                if (k == 0) continue;
                auto& series = prefix == 'b' ? b : d;
                if (series.size() < k) series.resize(k);
                claim(series[k - 1], column, name);
            }
        }
        for (const auto& [role, where] :
             {std::pair<const char*, std::optional<std::size_t>>{"item", item}, {"model", model}}) {
            if (where) continue;
            std::vector<std::string> header;
            for (const std::string& n : names) header.push_back(lowered(trimmed(n)));
            const std::string near = nearestName(role, header);
            fail(FindingCode::IrtColumns, 0, role, "",
                 std::string("the header has no column ") + role +
                     (near.empty() ? "" : " (the closest is " + near + ")") + "; name the " +
                     (std::string(role) == "item" ? "items' data columns" : "items' models") +
                     " in a column " + role,
                 near);
        }
        // The first column of the standard form, if any.
        std::optional<std::size_t> standard = a ? a : bOnly;
        for (std::size_t k = 0; k < b.size() && !standard; ++k) standard = b[k];
        slots_.intercepts = a1 || dOnly || !d.empty();
        if (standard && slots_.intercepts) {
            fail(FindingCode::IrtColumns, 0, names[*standard], "",
                 "the header mixes a, b, b1 .. with the slope-intercept a1, d, d1 ..; keep one "
                 "form");
        }
        const auto& series = slots_.intercepts ? d : b;
        const char prefix = slots_.intercepts ? 'd' : 'b';
        if (slots_.intercepts) slots_.aName = "a1", slots_.bName = "d";
        ColumnPick pick;
        const auto take = [&](std::optional<std::size_t> column, std::optional<std::size_t>& slot,
                              std::string& name) {
            if (!column) return;
            slot = pick.numbers.size();
            pick.numbers.push_back(*column);
            name = names[*column];
        };
        take(slots_.intercepts ? a1 : a, slots_.a, slots_.aName);
        take(slots_.intercepts ? dOnly : bOnly, slots_.b, slots_.bName);
        take(c, slots_.c, slots_.cName);
        take(u, slots_.u, slots_.uName);
        for (std::size_t k = 0; k < series.size(); ++k) {
            if (!series[k]) {
                // The series ends with a column, so a later one is there.
                std::size_t later = k + 1;
                while (!series[later]) ++later;
                fail(FindingCode::IrtColumns, 0, names[*series[later]], "",
                     "the header has " + names[*series[later]] + " but no " + prefix +
                         std::to_string(k + 1) + "; number the columns from " + prefix +
                         "1 without gaps");
            }
            slots_.steps.push_back(pick.numbers.size());
            slots_.stepNames.push_back(names[*series[k]]);
            pick.numbers.push_back(*series[k]);
        }
        pick.id = *item;
        pick.texts.push_back(*model);
        return pick;
    }

    void rowTexts(std::span<const std::string> texts) override { model_ = texts[0]; }

    void row(std::int64_t row, std::span<const TableCell> numbers, std::string_view id) override {
        const auto given = [&](std::optional<std::size_t> slot) -> std::optional<double> {
            if (!slot || numbers[*slot].missing) return std::nullopt;
            return numbers[*slot].value;
        };
        ItemParameters p;
        p.line = row;
        p.item = std::string(trimmed(id));
        if (p.item.empty()) {
            fail(FindingCode::IrtParameter, row, "item", "",
                 "the item is empty; name the item's data column");
        }
        if (const auto [at, added] = rows_.emplace(p.item, row); !added) {
            fail(FindingCode::IrtDuplicateItem, row, "item", p.item,
                 "item " + p.item + " has parameters on row " + std::to_string(at->second) +
                     " too; keep one row per item");
        }
        const std::string modelName = [&] {
            std::string upper(trimmed(model_));
            for (char& ch : upper) ch = (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - 32) : ch;
            return upper;
        }();
        const auto found = std::find_if(kModels.begin(), kModels.end(),
                                        [&](const ModelName& m) { return m.name == modelName; });
        if (found == kModels.end()) {
            std::vector<std::string> known;
            for (const ModelName& m : kModels) known.emplace_back(m.name);
            const std::string near = nearestName(modelName, known);
            fail(FindingCode::IrtUnknownModel, row, "model", model_,
                 "'" + shownValue(model_) +
                     "' is not a model; write 1PL, 2PL, 3PL, GRM, GPCM or PCM" +
                     (near.empty() || modelName.empty() ? "" : " (the closest is " + near + ")"),
                 near);
        }
        p.model = found->model;
        const std::string_view model = found->name;

        // The slope.
        const std::optional<double> slope = given(slots_.a);
        const double slopeUnit = slots_.intercepts ? D_ : 1.0;
        if (model == "PCM" && slope && *slope != slopeUnit) {
            fail(FindingCode::IrtParameter, row, slots_.aName, numberText(*slope),
                 "'" + numberText(*slope) + "' is a slope for a PCM item, which takes a = 1; " +
                     "name the model GPCM or leave the cell empty");
        }
        const double a1 = slope.value_or(slopeUnit);  // the slope as written
        p.a = a1 / slopeUnit;
        const auto location = [&](double value, const std::string& column) {
            if (!slots_.intercepts) return value;
            if (a1 == 0.0) {
                fail(
                    FindingCode::IrtParameter, row, slots_.aName, "0",
                    "a slope of 0 leaves " + column + " without a location; give the item's slope");
            }
            return -value / a1;
        };

        // Asymptotes: a lower or upper one makes the item 3PL.
        const std::optional<double> c = given(slots_.c), u = given(slots_.u);
        for (const auto& [value, name, neutral] :
             {std::tuple{c, slots_.cName, 0.0}, std::tuple{u, slots_.uName, 1.0}}) {
            if (!value || *value == neutral || model == "3PL") continue;
            fail(FindingCode::IrtParameter, row, name, numberText(*value),
                 "'" + numberText(*value) + "' is an asymptote of a " + std::string(model) +
                     " item; name the model 3PL or write " + numberText(neutral));
        }
        p.c = c.value_or(0.0);
        p.u = u.value_or(1.0);
        for (const auto& [value, name] : {std::pair{p.c, slots_.cName}, {p.u, slots_.uName}}) {
            if (!(value >= 0.0 && value <= 1.0)) {
                fail(
                    FindingCode::IrtAsymptote, row, name, numberText(value),
                    "'" + numberText(value) + "' is outside [0, 1]; an asymptote is a probability");
            }
        }
        if (!(p.c < p.u)) {
            fail(FindingCode::IrtAsymptote, row, slots_.cName, numberText(p.c),
                 slots_.cName + " = " + numberText(p.c) + " is not below " + slots_.uName + " = " +
                     numberText(p.u) + "; the lower asymptote lies below the upper one");
        }

        // The locations: b for a dichotomous item, the steps otherwise.
        std::vector<double> written;
        bool gap = false;
        for (std::size_t k = 0; k < slots_.steps.size(); ++k) {
            const std::optional<double> value = given(slots_.steps[k]);
            if (!value) {
                gap = true;
                continue;
            }
            if (p.model == ItemModel::Logistic) {
                fail(FindingCode::IrtParameter, row, slots_.stepNames[k], numberText(*value),
                     "'" + numberText(*value) + "' is a step of a " + std::string(model) +
                         " item, which takes " + slots_.bName +
                         "; leave it empty or name the model GRM or GPCM");
            }
            if (gap) {
                fail(FindingCode::IrtParameter, row, slots_.stepNames[k], numberText(*value),
                     slots_.stepNames[k] + " follows an empty " + slots_.stepNames[k - 1] +
                         "; give the steps from " + slots_.stepNames[0] + " without gaps");
            }
            written.push_back(*value);
        }
        const std::optional<double> single = given(slots_.b);
        if (p.model == ItemModel::Logistic) {
            if (!single) {
                fail(FindingCode::IrtParameter, row, slots_.bName, "",
                     "the " + std::string(model) + " item " + p.item + " has no " + slots_.bName +
                         "; give its location");
            }
            p.b = location(*single, slots_.bName);
            items_.push_back(std::move(p));
            return;
        }
        if (single) {
            fail(FindingCode::IrtParameter, row, slots_.bName, numberText(*single),
                 "'" + numberText(*single) + "' is a dichotomous location on a " +
                     std::string(model) + " item, which takes its steps in " +
                     (slots_.intercepts ? "d1 .. dm" : "b1 .. bm") + "; move it there");
        }
        const std::string firstStep = slots_.intercepts ? "d1" : "b1";
        if (written.empty()) {
            fail(FindingCode::IrtParameter, row, firstStep, "",
                 "the " + std::string(model) + " item " + p.item + " has no " + firstStep +
                     "; give its steps from " + firstStep);
        }
        for (std::size_t k = 0; k < written.size(); ++k) {
            const double previous = k == 0 ? 0.0 : written[k - 1];
            p.steps.push_back(p.model == ItemModel::PartialCredit && slots_.intercepts
                                  ? location(written[k] - previous, slots_.stepNames[k])
                                  : location(written[k], slots_.stepNames[k]));
        }
        if (p.model == ItemModel::Graded) {
            for (std::size_t k = 1; k < p.steps.size(); ++k) {
                if (p.steps[k] > p.steps[k - 1]) continue;
                const std::string what =
                    slots_.intercepts
                        ? slots_.stepNames[k] + " = " + numberText(written[k]) + " gives b" +
                              std::to_string(k + 1) + " = " + numberText(p.steps[k]) +
                              ", not above b" + std::to_string(k) + " = " +
                              numberText(p.steps[k - 1])
                        : slots_.stepNames[k] + " = " + numberText(written[k]) + " is not above " +
                              slots_.stepNames[k - 1] + " = " + numberText(written[k - 1]);
                fail(FindingCode::IrtBoundaries, row, slots_.stepNames[k], numberText(written[k]),
                     what + "; a graded item's boundaries increase from category to category");
            }
        }
        items_.push_back(std::move(p));
    }

    std::vector<ItemParameters> items() && { return std::move(items_); }

  private:
    [[noreturn]] void fail(FindingCode code, std::int64_t row, const std::string& column,
                           const std::string& value, const std::string& what,
                           const std::string& closest = "") const {
        Finding f;
        f.code = code;
        f.file = source_;
        f.line = row;
        f.column = column;
        f.value = value;
        f.closest = closest;
        f.text = oneLine(source_ + (row ? ": row " + std::to_string(row) : std::string()) +
                         ", column " + column + ": " + what);
        throw InputError(std::move(f));
    }

    std::string source_;
    double D_;
    Slots slots_;
    std::string model_;
    std::unordered_map<std::string, std::int64_t> rows_;
    std::vector<ItemParameters> items_;
};

}  // namespace

std::vector<ItemParameters> readItemParameters(const TableSource& source, double D) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(filePathOf(source.path), error)) {
        throw InputError(source.path + ": the item parameter table does not exist (tried " +
                         fileNameText(std::filesystem::absolute(filePathOf(source.path), error)) +
                         ")");
    }
    ParameterVisitor visitor(source.path, D);
    readTable(source, visitor);
    return std::move(visitor).items();
}

std::vector<ItemParameters> readItemParameters(const std::string& path, double D) {
    const std::optional<TableFormat> format = formatOfExtension(path);
    if (!format) {
        throw InputError(oneLine(path + ": the extension names no table format; save the item "
                                        "parameters as .csv, .sav, .dta, .sas7bdat or .xpt"));
    }
    TableSource source;
    source.path = path;
    source.format = *format;
    return readItemParameters(source, D);
}

MatchedParameters checkItemParameters(const std::vector<ItemParameters>& parameters,
                                      const std::vector<ParameterSet>& sets,
                                      const std::string& source) {
    std::unordered_map<std::string, const ItemParameters*> byItem;
    for (const ItemParameters& p : parameters) byItem.emplace(p.item, &p);
    std::unordered_map<std::string, bool> inSet;
    MatchedParameters matched;
    const auto finding = [&](FindingCode code, Severity severity, const ItemParameters* p,
                             const std::string& column, const std::string& value,
                             const std::string& what) {
        Finding f;
        f.code = code;
        f.severity = severity;
        f.file = source;
        f.line = p ? p->line : 0;
        f.column = column;
        f.value = value;
        f.text = oneLine(source + (p ? ": row " + std::to_string(p->line) : std::string()) +
                         (column.empty() ? "" : ", column " + column) + ": " + what);
        return f;
    };
    std::vector<std::string> tableItems;
    for (const ItemParameters& p : parameters) tableItems.push_back(p.item);
    for (const ParameterSet& set : sets) {
        std::vector<ItemParameters>& out = matched.sets.emplace_back();
        for (const std::string& item : set.items) {
            inSet[item] = true;
            const auto at = byItem.find(item);
            if (at == byItem.end()) {
                const std::string near = nearestName(item, tableItems);
                Finding f = finding(FindingCode::IrtMissingItem, Severity::Error, nullptr, "", item,
                                    "no parameters for item " + item + " of set " + set.name +
                                        (near.empty() ? "" : " (the closest is " + near + ")") +
                                        "; add a row for it");
                f.closest = near;
                throw InputError(std::move(f));
            }
            const ItemParameters& p = *at->second;
            if (p.categoryCount() != set.scorePointCount) {
                const std::size_t count = p.categoryCount();
                throw InputError(finding(
                    FindingCode::IrtCategoryCount, Severity::Error, &p, "model",
                    std::to_string(count),
                    "item " + item + " has " + std::to_string(count) + " categories, but set " +
                        set.name + " has " + std::to_string(set.scorePointCount) +
                        " score points; give it " + std::to_string(set.scorePointCount - 1) +
                        " steps or check the set's points"));
            }
            if (!(p.a > 0.0)) {
                matched.warnings.push_back(
                    finding(FindingCode::IrtSlope, Severity::Warning, &p, "a", numberText(p.a),
                            "item " + item + " has a = " + numberText(p.a) +
                                ", not above 0: its score falls as ability rises; check the sign"));
            }
            out.push_back(p);
        }
    }
    std::vector<std::string> extra;
    for (const ItemParameters& p : parameters) {
        if (!inSet.count(p.item)) extra.push_back(p.item);
    }
    if (!extra.empty()) {
        std::string names;
        for (std::size_t i = 0; i < extra.size() && i < 3; ++i) names += (i ? ", " : "") + extra[i];
        if (extra.size() > 3) names += ", ...";
        Finding f = finding(FindingCode::IrtExtraItem, Severity::Warning, nullptr, "", extra[0],
                            std::to_string(extra.size()) + " item" +
                                (extra.size() == 1 ? " has" : "s have") +
                                " parameters but no set: " + names + "; they are not used");
        matched.warnings.push_back(std::move(f));
    }
    return matched;
}

}  // namespace tl
