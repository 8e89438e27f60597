// Analysis files: TOML, read with toml++. Each table's keys are checked
// against the ones it may hold, and each value against its type and the
// limits a control card has, so that every mistake is one line naming the
// file, the line and the key.
#include "input/analysis_file.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "core/alternatives.h"
#include "core/analysis_options.h"
#include "core/edit_distance.h"
#include "core/errors.h"
#include "core/limits.h"
#include "core/model_choice.h"
#include "core/one_line.h"
#include "input/analysis_file_limits.h"
#include "platform/file_names.h"

namespace tl {

namespace {

using Keys = std::vector<std::string_view>;

const Keys kTopKeys = {"title", "data",  "sets", "classification", "output", "options",
                       "scale", "model", "irt",  "sweep"};
const Keys kDataKeys = {"file",          "format", "delimiter", "id",          "missing",
                        "missing_codes", "groups", "min_group", "level_labels"};
const Keys kSetKeys = {"name", "items", "points", "weight", "missing", "reverse", "file"};
const Keys kClassificationKeys = {"labels", "observed_cuts", "true_cuts", "bias_correction",
                                  "alternatives"};
const Keys kAlternativeKeys = {"name", "observed_cuts", "true_cuts"};
const Keys kOutputKeys = {"report", "conditional", "results", "figures"};
const Keys kOptionKeys = {"bootstrap", "seed", "engine", "strict", "fit"};
const Keys kScaleKeys = {"table", "raw", "scale", "cuts_on"};
const Keys kSweepKeys = {"true_cut", "target_sensitivity", "target_specificity", "target_ppv",
                         "target_npv"};
const Keys kModelKeys = {"kind",       "method", "name", "reliability",
                         "true_model", "l",      "u",    "min_expected"};
const Keys kIrtKeys = {"items",    "D",      "theta",      "theta_se", "estimator", "prior_mean",
                       "prior_sd", "points", "population", "mean",     "sd",        "cuts_on"};

template <std::size_t N>
bool oneOf(std::string_view name, const std::array<std::string_view, N>& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The key of `known` nearest to `key`, when it is near enough to be a slip.
std::optional<std::string> nearest(std::string_view key, const Keys& known) {
    std::optional<std::string> best;
    std::size_t bestDistance = std::max<std::size_t>(2, key.size() / 3) + 1;
    for (std::string_view k : known) {
        const std::size_t d = editDistance(key, k);
        if (d < bestDistance) bestDistance = d, best = std::string(k);
    }
    return best;
}

std::string joined(const Keys& keys) {
    std::string text;
    for (std::size_t i = 0; i < keys.size(); ++i) text += (i ? ", " : "") + std::string(keys[i]);
    return text;
}

// Item lists as codebooks give them: "q_1290 q_1744, q_1979", the names
// separated by blanks, commas or new lines. A string of one name or one range
// is not such a list.
bool isListSeparator(char c) {
    return c == ',' || c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::vector<std::string> listedNames(const std::string& text) {
    std::vector<std::string> names;
    std::string name;
    for (const char c : text + ' ') {
        if (!isListSeparator(c)) {
            name += c;
        } else if (!name.empty()) {
            names.push_back(std::move(name));
            name.clear();
        }
    }
    return names;
}

bool isNameList(const std::string& text) {
    return listedNames(text).size() > 1;
}

class Reader {
  public:
    Reader(std::string_view text, const std::string& path) {
        file_.path = path;
        file_.folder = fileNameText(filePathOf(path).parent_path());
        refuseOversizedAnalysisFile(text, path);
        try {
            root_ = toml::parse(text, path);
        } catch (const toml::parse_error& error) {
            Finding finding;
            finding.code = FindingCode::AnalysisFileKey;
            finding.file = path;
            finding.line = error.source().begin.line;
            finding.text = oneLine(path + ":" + std::to_string(finding.line) + ": " +
                                   std::string(error.description()));
            throw InputError(std::move(finding));
        }
    }

    AnalysisFile read() {
        checkKeys(root_, "", kTopKeys);
        if (const toml::node* title = root_.get("title"))
            file_.labels.title = text(*title, "title");
        readData();
        readSets();
        readClassification();
        readOutput();
        readOptions();
        readScale();
        readModel();
        readIrt();
        readSweep();
        return std::move(file_);
    }

  private:
    [[noreturn]] void fail(const toml::node* node, const std::string& key,
                           const std::string& what) const {
        std::string at = file_.path;
        Finding finding;
        finding.code = FindingCode::AnalysisFileKey;
        finding.file = file_.path;
        finding.key = key;
        if (node && node->source().begin.line > 0) {
            finding.line = node->source().begin.line;
            at += ":" + std::to_string(finding.line);
        }
        finding.text = oneLine(at + ": " + (key.empty() ? "" : key + ": ") + what);
        throw InputError(std::move(finding));
    }

    void remember(const toml::node& node, const std::string& key) {
        file_.lines[key] = static_cast<std::int64_t>(node.source().begin.line);
    }

    void checkKeys(const toml::table& table, const std::string& prefix, const Keys& known) {
        for (auto&& [key, node] : table) {
            const std::string_view name = key.str();
            if (std::find(known.begin(), known.end(), name) != known.end()) continue;
            std::string hint;
            Finding finding;
            finding.code = FindingCode::AnalysisFileKey;
            finding.file = file_.path;
            finding.line = key.source().begin.line;
            finding.key = prefix + std::string(name);
            if (const auto near = nearest(name, known)) {
                finding.closest = prefix + *near;
                hint = " (did you mean `" + *near + "`?)";
            } else if (prefix.empty()) {
                hint = elsewhere(name);
            }
            if (hint.empty()) hint = "; the keys here are " + joined(known);
            finding.text = oneLine(file_.path + ":" + std::to_string(finding.line) +
                                   ": unknown key `" + finding.key + "`" + hint);
            throw InputError(std::move(finding));
        }
    }

    // A key written at the top that belongs in one of the tables.
    static std::string elsewhere(std::string_view name) {
        const std::pair<const char*, const Keys*> tables[] = {
            {"[data]", &kDataKeys},
            {"[[sets]]", &kSetKeys},
            {"[classification]", &kClassificationKeys},
            {"[output]", &kOutputKeys},
            {"[options]", &kOptionKeys},
            {"[scale]", &kScaleKeys},
            {"[model]", &kModelKeys},
            {"[irt]", &kIrtKeys},
            {"[sweep]", &kSweepKeys}};
        for (const auto& [table, keys] : tables) {
            if (const auto near = nearest(name, *keys))
                return " (did you mean `" + *near + "` under " + table + "?)";
        }
        return {};
    }

    const toml::table& tableAt(const toml::node& node, const std::string& key) const {
        if (!node.is_table()) fail(&node, key, "must be a table");
        return *node.as_table();
    }

    std::string text(const toml::node& node, const std::string& key) const {
        if (!node.is_string()) fail(&node, key, "must be a text in quotes");
        return *node.value<std::string>();
    }

    double number(const toml::node& node, const std::string& key) const {
        if (!node.is_number()) fail(&node, key, "must be a number");
        const double value = *node.value<double>();
        if (!std::isfinite(value)) fail(&node, key, "must be a finite number");
        return value;
    }

    bool flag(const toml::node& node, const std::string& key) const {
        if (!node.is_boolean()) fail(&node, key, "must be true or false");
        return *node.value<bool>();
    }

    std::int64_t whole(const toml::node& node, const std::string& key, std::int64_t least) const {
        if (!node.is_integer()) fail(&node, key, "must be a whole number");
        const std::int64_t value = *node.value<std::int64_t>();
        if (value < least)
            fail(&node, key,
                 "must be at least " + std::to_string(least) + ", not " + std::to_string(value));
        return value;
    }

    std::vector<double> numbers(const toml::node& node, const std::string& key) const {
        if (!node.is_array()) fail(&node, key, "must be a list of numbers, as [0, 1]");
        std::vector<double> values;
        const toml::array& list = *node.as_array();
        for (std::size_t i = 0; i < list.size(); ++i)
            values.push_back(number(list[i], key + "[" + std::to_string(i + 1) + "]"));
        return values;
    }

    std::vector<std::string> texts(const toml::node& node, const std::string& key) const {
        if (!node.is_array()) fail(&node, key, "must be a list of texts, as [\"a\", \"b\"]");
        std::vector<std::string> values;
        const toml::array& list = *node.as_array();
        for (std::size_t i = 0; i < list.size(); ++i)
            values.push_back(text(list[i], key + "[" + std::to_string(i + 1) + "]"));
        return values;
    }

    std::string resolved(const std::string& written) const {
        const std::filesystem::path p = filePathOf(written);
        if (p.is_absolute() || file_.folder.empty()) return written;
        return fileNameText((filePathOf(file_.folder) / p).lexically_normal());
    }

    MissingRule missingRule(const toml::node& node, const std::string& key) const {
        if (node.is_string()) {
            const std::string word = *node.value<std::string>();
            if (word == "error") return {MissingRule::Kind::Error, 0.0};
            if (word == "omit") return {MissingRule::Kind::Omit, 0.0};
            fail(&node, key,
                 "must be \"error\", \"omit\" or a number that scores the missing "
                 "response, not \"" +
                     word + "\"");
        }
        if (!node.is_number())
            fail(&node, key,
                 "must be \"error\", \"omit\" or a number that scores the missing "
                 "response");
        return {MissingRule::Kind::Score, number(node, key)};
    }

    void readData() {
        const toml::node* node = root_.get("data");
        if (!node) return;
        const toml::table& data = tableAt(*node, "data");
        checkKeys(data, "data.", kDataKeys);
        AnalysisTable table;
        const toml::node* file = data.get("file");
        if (!file) fail(node, "data", "needs `file`, the table of item scores");
        table.file = text(*file, "data.file");
        table.source.path = resolved(table.file);
        char delimiter = 0;
        if (const toml::node* d = data.get("delimiter")) {
            const std::string written = text(*d, "data.delimiter");
            if (written == "," || written == ";" || written == "\t" || written == " ") {
                delimiter = written[0];
            } else if (written == "tab" || written == "\\t") {
                delimiter = '\t';
            } else if (written == "blank" || written == "space") {
                delimiter = ' ';
            } else {
                fail(d, "data.delimiter",
                     "must be \",\", \";\", \"\\t\" (tab) or \" \" (blanks), not \"" + written +
                         "\"");
            }
        }
        if (const toml::node* f = data.get("format")) {
            const std::string name = text(*f, "data.format");
            const std::optional<TableFormat> format = formatNamed(name, &delimiter);
            if (!format)
                fail(f, "data.format",
                     "must be csv, tsv, text, spss, stata, sas or xpt, not \"" + name + "\"");
            table.source.format = *format;
        } else {
            const std::optional<TableFormat> format = formatOfExtension(table.file);
            if (!format)
                fail(file, "data.file",
                     "the extension of \"" + table.file +
                         "\" names no table format; give `format` (csv, tsv, text, spss, stata, "
                         "sas or xpt)");
            table.source.format = *format;
        }
        if (delimiter != 0 && table.source.format != TableFormat::Delimited)
            fail(data.get("delimiter"), "data.delimiter", "applies to delimited text only");
        table.source.delimiter = delimiter;
        if (const toml::node* id = data.get("id")) {
            table.id = text(*id, "data.id");
            remember(*id, "data.id");
        }
        if (const toml::node* m = data.get("missing"))
            table.missing = missingRule(*m, "data.missing");
        if (const toml::node* codes = data.get("missing_codes"))
            table.missingCodes = numbers(*codes, "data.missing_codes");
        if (const toml::node* groups = data.get("groups")) readGroups(*groups, table);
        if (const toml::node* least = data.get("min_group"))
            table.minGroup = whole(*least, "data.min_group", 0);
        if (const toml::node* labels = data.get("level_labels")) readLevelLabels(*labels, table);
        remember(*file, "data.file");
        file_.table = std::move(table);
    }

    // Each column named once; each name's line is kept for the header check.
    void readGroups(const toml::node& node, AnalysisTable& table) {
        table.groups = texts(node, "data.groups");
        const toml::array& list = *node.as_array();
        for (std::size_t g = 0; g < table.groups.size(); ++g) {
            const std::string key = "data.groups[" + std::to_string(g + 1) + "]";
            remember(list[g], key);
            if (table.groups[g].empty()) fail(&list[g], key, "must name a column");
            for (std::size_t h = 0; h < g; ++h) {
                if (table.groups[h] == table.groups[g])
                    fail(&list[g], key, "names the column " + table.groups[g] + " twice");
            }
        }
    }

    // Names for a grouping column's values: a table per column, of the values
    // as written in the cells and their names.
    void readLevelLabels(const toml::node& node, AnalysisTable& table) {
        for (auto&& [column, values] : tableAt(node, "data.level_labels")) {
            const std::string name(column.str());
            const std::string key = "data.level_labels." + name;
            if (std::find(table.groups.begin(), table.groups.end(), name) == table.groups.end())
                fail(&values, key,
                     name +
                         " is not a grouping column: add it to [data] groups, or remove its "
                         "labels");
            std::map<std::string, std::string>& labels = table.levelLabels[name];
            for (auto&& [value, label] : tableAt(values, key)) {
                const std::string valueKey = key + "." + std::string(value.str());
                const std::string name = text(label, valueKey);
                if (name.empty()) fail(&label, valueKey, "is empty: give the level's name");
                labels[std::string(value.str())] = name;
            }
            remember(values, key);
        }
    }

    void readSets() {
        const toml::node* node = root_.get("sets");
        if (!node) fail(nullptr, "sets", "at least one [[sets]] table is needed");
        if (!node->is_array_of_tables())
            fail(node, "sets", "must be written as [[sets]] tables, one per item set");
        const toml::array& sets = *node->as_array();
        if (sets.empty()) fail(node, "sets", "at least one [[sets]] table is needed");
        if (sets.size() > static_cast<std::size_t>(kMaxItemSets))
            fail(node, "sets",
                 "at most " + std::to_string(kMaxItemSets) + " item sets (" +
                     std::to_string(sets.size()) + " given)");
        for (std::size_t s = 0; s < sets.size(); ++s) readSet(*sets[s].as_table(), s);
        file_.card.setCount = static_cast<std::int32_t>(sets.size());
    }

    void readSet(const toml::table& set, std::size_t s) {
        const std::string key = "sets[" + std::to_string(s + 1) + "]";
        checkKeys(set, key + ".", kSetKeys);
        remember(set, key);
        ItemSet itemSet;
        std::string name;
        if (const toml::node* n = set.get("name")) name = text(*n, key + ".name");
        itemSet.weight = 1.0;
        if (const toml::node* w = set.get("weight")) itemSet.weight = number(*w, key + ".weight");

        const toml::node* points = set.get("points");
        if (!points) fail(&set, key, "needs `points`, the score points, as [0, 1]");
        const std::vector<double> values = numbers(*points, key + ".points");
        remember(*points, key + ".points");
        if (values.size() < 2)
            fail(points, key + ".points",
                 "at least 2 score points (" + std::to_string(values.size()) + " given)");
        if (values.size() > static_cast<std::size_t>(kMaxScorePoints))
            fail(points, key + ".points",
                 "at most " + std::to_string(kMaxScorePoints) + " score points (" +
                     std::to_string(values.size()) + " given)");
        if (!scorePointsRise(values))
            fail(points, key + ".points", "the score points must rise, each listed once");
        itemSet.scorePoints = values;
        itemSet.scorePointCount = static_cast<std::int32_t>(values.size());
        itemSet.highestScorePoint = values.back();

        const toml::node* file = set.get("file");
        const toml::node* items = set.get("items");
        if (!items) fail(&set, key, "needs `items`");
        remember(*items, key + ".items");
        if (file) {
            if (file_.table)
                fail(file, key + ".file",
                     "a set names its own file only when there is no [data] table");
            if (set.get("reverse") || set.get("missing"))
                fail(file, key + ".file",
                     "`reverse` and `missing` apply to the [data] table's columns; a set's own "
                     "file is read as a card's data file is");
            itemSet.dataFile = text(*file, key + ".file");
            file_.dataPaths.push_back(resolved(itemSet.dataFile));
            if (!items->is_integer())
                fail(items, key + ".items",
                     "with a set's own file, `items` is the number of items in each record");
            const std::int64_t count = whole(*items, key + ".items", 1);
            if (count > INT32_MAX) fail(items, key + ".items", "is too large");
            itemSet.itemCount = static_cast<std::int32_t>(count);
        } else {
            if (!file_.table)
                fail(&set, key,
                     "needs `file`, its own data file, or a [data] table to take its "
                     "`items` from");
            SetColumns columns;
            if (items->is_string() && isNameList(*items->value<std::string>())) {
                columns.names = listedNames(*items->value<std::string>());
                for (const std::string& name : columns.names) {
                    if (name.find(':') != std::string::npos)
                        fail(items, key + ".items",
                             "a list of names holds no range (\"" + name +
                                 "\"): give the range alone, or list its columns");
                }
            } else if (items->is_string()) {
                columns.range = *items->value<std::string>();
                if (columns.range.find(':') == std::string::npos)
                    columns.names = {columns.range}, columns.range.clear();
                const std::size_t colon = columns.range.find(':');
                if (columns.range.empty() ? columns.names.front().empty()
                                          : colon == 0 || colon + 1 == columns.range.size())
                    fail(items, key + ".items",
                         "names no column: give a column, a range as \"mc01:mc40\", or a list "
                         "of column names");
            } else if (items->is_array()) {
                columns.names = texts(*items, key + ".items");
                if (columns.names.empty()) fail(items, key + ".items", "lists no columns");
                for (std::size_t i = 0; i < columns.names.size(); ++i) {
                    if (columns.names[i].empty())
                        fail(items, key + ".items[" + std::to_string(i + 1) + "]",
                             "is empty: give the column's name");
                }
            } else {
                fail(items, key + ".items",
                     "must be a column range, as \"mc01:mc40\", or a list of column names");
            }
            if (const toml::node* r = set.get("reverse")) {
                columns.reverse = texts(*r, key + ".reverse");
                remember(*r, key + ".reverse");
            }
            if (const toml::node* m = set.get("missing"))
                columns.missing = missingRule(*m, key + ".missing");
            itemSet.dataFile = file_.table->file;
            file_.columns.push_back(std::move(columns));
        }
        file_.card.itemSets.push_back(std::move(itemSet));
        file_.labels.setNames.push_back(std::move(name));
    }

    void readClassification() {
        const toml::node* node = root_.get("classification");
        if (!node) fail(nullptr, "classification", "the [classification] table is needed");
        const toml::table& c = tableAt(*node, "classification");
        checkKeys(c, "classification.", kClassificationKeys);
        const toml::node* observed = c.get("observed_cuts");
        if (!observed) fail(node, "classification", "needs `observed_cuts`");
        file_.card.observedCuts = numbers(*observed, "classification.observed_cuts");
        remember(*observed, "classification.observed_cuts");
        const std::size_t cuts = file_.card.observedCuts.size();
        if (cuts < 1 || cuts > static_cast<std::size_t>(kMaxCategories - 1))
            fail(observed, "classification.observed_cuts",
                 "from 1 to " + std::to_string(kMaxCategories - 1) + " cut scores, for " +
                     std::to_string(kMinCategories) + " to " + std::to_string(kMaxCategories) +
                     " categories (" + std::to_string(cuts) + " given)");
        for (std::size_t j = 1; j < cuts; ++j) {
            if (file_.card.observedCuts[j] < file_.card.observedCuts[j - 1])
                fail(observed, "classification.observed_cuts", "the cut scores must not decrease");
        }
        file_.card.categoryCount = static_cast<std::int32_t>(cuts + 1);
        file_.card.trueCuts = file_.card.observedCuts;
        if (const toml::node* t = c.get("true_cuts")) {
            file_.card.trueCuts = numbers(*t, "classification.true_cuts");
            if (file_.card.trueCuts.size() != cuts)
                fail(t, "classification.true_cuts",
                     std::to_string(cuts) + " cut scores, as many as observed_cuts (" +
                         std::to_string(file_.card.trueCuts.size()) + " given)");
            for (std::size_t j = 1; j < cuts; ++j) {
                if (file_.card.trueCuts[j] < file_.card.trueCuts[j - 1])
                    fail(t, "classification.true_cuts", "the cut scores must not decrease");
            }
        }
        if (const toml::node* l = c.get("labels")) {
            file_.labels.categoryLabels = texts(*l, "classification.labels");
            const std::size_t given = file_.labels.categoryLabels.size();
            if (given != cuts + 1)
                fail(l, "classification.labels",
                     "one label per category: " + std::to_string(cuts + 1) + " (" +
                         std::to_string(given) + " given)");
            std::vector<std::string> sorted = file_.labels.categoryLabels;
            std::sort(sorted.begin(), sorted.end());
            if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
                fail(l, "classification.labels", "each label must differ from the others");
        }
        if (const toml::node* b = c.get("bias_correction"))
            file_.card.biasCorrection = flag(*b, "classification.bias_correction") ? 1 : 0;
        if (const toml::node* a = c.get("alternatives")) readAlternatives(*a);
    }

    // Other cut sets, each named once; their cuts are checked as the run's
    // own, and against the labels when the test runs.
    void readAlternatives(const toml::node& node) {
        const std::string key = "classification.alternatives";
        if (!node.is_array_of_tables())
            fail(&node, key, "must be written as [[classification.alternatives]] tables");
        const toml::array& list = *node.as_array();
        for (std::size_t a = 0; a < list.size(); ++a) {
            const std::string at = key + "[" + std::to_string(a + 1) + "]";
            const toml::table& t = *list[a].as_table();
            checkKeys(t, at + ".", kAlternativeKeys);
            CutSet set;
            const toml::node* name = t.get("name");
            if (!name) fail(&list[a], at, "needs `name`, which names its test and folder");
            set.name = text(*name, at + ".name");
            if (set.name.empty() || set.name.find_first_of("/\\#") != std::string::npos)
                fail(name, at + ".name",
                     "must be a name without /, \\ or #, not \"" + set.name + "\"");
            for (const CutSet& earlier : file_.alternatives) {
                if (earlier.name == set.name)
                    fail(name, at + ".name", "names the cut set " + set.name + " twice");
            }
            const toml::node* observed = t.get("observed_cuts");
            if (!observed) fail(&list[a], at, "needs `observed_cuts`");
            set.observedCuts = cutList(*observed, at + ".observed_cuts");
            set.trueCuts = set.observedCuts;
            if (const toml::node* truth = t.get("true_cuts")) {
                set.trueCuts = cutList(*truth, at + ".true_cuts");
                if (set.trueCuts.size() != set.observedCuts.size())
                    fail(truth, at + ".true_cuts",
                         std::to_string(set.observedCuts.size()) +
                             " cut scores, as many as observed_cuts (" +
                             std::to_string(set.trueCuts.size()) + " given)");
            }
            remember(list[a], at);
            file_.alternatives.push_back(std::move(set));
        }
    }

    std::vector<double> cutList(const toml::node& node, const std::string& key) const {
        const std::vector<double> cuts = numbers(node, key);
        if (cuts.empty() || cuts.size() > static_cast<std::size_t>(kMaxCategories - 1))
            fail(&node, key,
                 "from 1 to " + std::to_string(kMaxCategories - 1) + " cut scores (" +
                     std::to_string(cuts.size()) + " given)");
        for (std::size_t j = 1; j < cuts.size(); ++j) {
            if (cuts[j] < cuts[j - 1]) fail(&node, key, "the cut scores must not decrease");
        }
        return cuts;
    }

    void readOutput() {
        const toml::node* node = root_.get("output");
        if (!node) return;
        const toml::table& o = tableAt(*node, "output");
        checkKeys(o, "output.", kOutputKeys);
        if (const toml::node* r = o.get("report")) {
            file_.card.outputFile = text(*r, "output.report");
            if (file_.card.outputFile.empty()) fail(r, "output.report", "names no file");
            file_.reportPath = resolved(file_.card.outputFile);
        }
        if (const toml::node* c = o.get("conditional"))
            file_.card.conditionalResults = flag(*c, "output.conditional") ? 1 : 0;
        if (const toml::node* r = o.get("results")) {
            const std::string dir = text(*r, "output.results");
            if (dir.empty()) fail(r, "output.results", "names no folder");
            file_.resultsDir = resolved(dir);
        }
        if (const toml::node* f = o.get("figures")) {
            const std::string dir = text(*f, "output.figures");
            if (dir.empty()) fail(f, "output.figures", "names no folder");
            file_.figuresDir = resolved(dir);
        }
    }

    void readOptions() {
        const toml::node* node = root_.get("options");
        if (!node) return;
        const toml::table& o = tableAt(*node, "options");
        checkKeys(o, "options.", kOptionKeys);
        if (const toml::node* b = o.get("bootstrap")) {
            file_.bootstrap = whole(*b, "options.bootstrap", 0);
            if (*file_.bootstrap != 0 && *file_.bootstrap < kMinBootstrapReplicates) {
                fail(b, "options.bootstrap",
                     "0 (none) or at least " + std::to_string(kMinBootstrapReplicates) +
                         " replications, not " + std::to_string(*file_.bootstrap));
            }
        }
        if (const toml::node* s = o.get("seed"))
            file_.seed = static_cast<std::uint64_t>(whole(*s, "options.seed", 0));
        if (const toml::node* e = o.get("engine")) {
            const std::string name = text(*e, "options.engine");
            if (!engineNamed(name)) {
                fail(e, "options.engine",
                     "must be " + alternatives(kEngineNames) + ", not \"" + name + "\"");
            }
            file_.engine = name;
        }
        if (const toml::node* s = o.get("strict")) file_.strict = flag(*s, "options.strict");
        if (const toml::node* f = o.get("fit")) file_.fit = flag(*f, "options.fit");
    }

    // A conversion table named or written inline, and where the cuts lie.
    void readScale() {
        const toml::node* node = root_.get("scale");
        if (!node) return;
        const toml::table& t = tableAt(*node, "scale");
        checkKeys(t, "scale.", kScaleKeys);
        AnalysisScale scale;
        remember(t, "scale");
        const toml::node* table = t.get("table");
        const toml::node* raw = t.get("raw");
        const toml::node* values = t.get("scale");
        if (table) {
            if (raw || values)
                fail(table, "scale.table",
                     "give the conversion either as a table file or inline as `raw` and "
                     "`scale`, not both");
            const std::string written = text(*table, "scale.table");
            if (written.empty()) fail(table, "scale.table", "names no file");
            scale.tablePath = resolved(written);
            scale.table.source = written;
            remember(*table, "scale.table");
        } else {
            if (!raw || !values)
                fail(node, "scale",
                     "needs `table`, a CSV file with columns raw and scale, or both `raw` and "
                     "`scale` lists");
            scale.table.source = file_.path + " [scale]";
            scale.table.raw = numbers(*raw, "scale.raw");
            scale.table.scale = numbers(*values, "scale.scale");
            if (scale.table.raw.size() != scale.table.scale.size())
                fail(values, "scale.scale",
                     "one scale score per raw score: " + std::to_string(scale.table.raw.size()) +
                         " (" + std::to_string(scale.table.scale.size()) + " given)");
            const toml::array& list = *raw->as_array();
            for (std::size_t i = 0; i < list.size(); ++i)
                scale.table.lines.push_back(static_cast<std::int64_t>(list[i].source().begin.line));
        }
        if (const toml::node* c = t.get("cuts_on")) {
            const std::string where = text(*c, "scale.cuts_on");
            if (where != "raw" && where != "scale")
                fail(c, "scale.cuts_on", "must be \"raw\" or \"scale\", not \"" + where + "\"");
            scale.cutsOnScale = where == "scale";
            remember(*c, "scale.cuts_on");
        }
        file_.scale = std::move(scale);
    }

    // The error model and its method, or several as [[model]]: each with the
    // settings of a beta-binomial run.
    void readModel() {
        const toml::node* node = root_.get("model");
        if (!node) return;
        if (const toml::array* list = node->as_array()) {
            if (list->empty()) fail(node, "model", "names no model: give one [[model]] or more");
            if (list->size() > kMaxModels)
                fail(node, "model",
                     "names " + std::to_string(list->size()) + " models; at most " +
                         std::to_string(kMaxModels) + " run side by side");
            for (std::size_t i = 0; i < list->size(); ++i) {
                const std::string key = "model[" + std::to_string(i + 1) + "]";
                const toml::table* m = (*list)[i].as_table();
                if (!m) fail(&(*list)[i], key, "must be a table of kind, method and settings");
                file_.models.push_back(readModelEntry(*m, key));
            }
            return;
        }
        file_.models.push_back(readModelEntry(tableAt(*node, "model"), "model"));
    }

    ModelEntry readModelEntry(const toml::table& m, const std::string& key) {
        checkKeys(m, key + ".", kModelKeys);
        remember(m, key);
        ModelEntry entry;
        entry.key = key;
        if (const toml::node* k = m.get("kind")) {
            const std::string name = text(*k, key + ".kind");
            const auto kind = modelKindNamed(name);
            if (!kind)
                fail(k, key + ".kind",
                     "must be " + alternatives(kModelKindNames) + ", not \"" + name + "\"");
            entry.kind = *kind;
            remember(*k, key + ".kind");
        }
        if (const toml::node* k = m.get("method")) {
            const std::string name = text(*k, key + ".method");
            const auto method = modelMethodNamed(name);
            if (!method)
                fail(k, key + ".method",
                     "must be " + alternatives(kModelMethodNames) + ", not \"" + name + "\"");
            entry.method = *method;
            remember(*k, key + ".method");
        }
        if (const toml::node* n = m.get("name")) {
            entry.name = text(*n, key + ".name");
            if (!isModelName(entry.name))
                fail(n, key + ".name",
                     "\"" + entry.name +
                         "\" cannot name a model's folder: use letters, digits, - and _ "
                         "(at most 40)");
            remember(*n, key + ".name");
        }
        BetaBinomialSettings& bb = entry.betaBinomial;
        if (const toml::node* r = m.get("reliability")) {
            if (r->is_number()) {
                bb.reliabilitySource = "given";
                bb.reliability = number(*r, key + ".reliability");
            } else {
                bb.reliabilitySource = text(*r, key + ".reliability");
                if (!oneOf(bb.reliabilitySource, kReliabilitySourceNames))
                    fail(r, key + ".reliability",
                         "must be \"alpha\", \"multinomial\" or a number, not \"" +
                             bb.reliabilitySource + "\"");
            }
        }
        if (const toml::node* t = m.get("true_model")) {
            bb.trueModel = text(*t, key + ".true_model");
            if (bb.trueModel != "4P" && bb.trueModel != "3P" && bb.trueModel != "2P")
                fail(t, key + ".true_model",
                     "must be \"4P\", \"3P\" or \"2P\", not \"" + bb.trueModel + "\"");
        }
        if (const toml::node* l = m.get("l")) bb.lower = number(*l, key + ".l");
        if (const toml::node* u = m.get("u")) bb.upper = number(*u, key + ".u");
        if (const toml::node* e = m.get("min_expected")) {
            entry.minExpected = number(*e, key + ".min_expected");
            if (!(*entry.minExpected > 0.0)) fail(e, key + ".min_expected", "must be above 0");
        }
        return entry;
    }

    // The what-if sweep: the table's presence asks for it.
    void readSweep() {
        const toml::node* node = root_.get("sweep");
        if (!node) return;
        const toml::table& t = tableAt(*node, "sweep");
        checkKeys(t, "sweep.", kSweepKeys);
        remember(t, "sweep");
        SweepOptions& sweep = file_.sweep.emplace();
        for (const std::string& name : sweepSettingNames()) {
            const toml::node* value = t.get(name);
            if (!value) continue;
            const std::string problem =
                setSweepSetting(sweep, name, number(*value, "sweep." + name));
            if (!problem.empty()) fail(value, "sweep." + name, problem);
        }
    }

    // Where an IRT run finds its item parameters and abilities.
    void readIrt() {
        const toml::node* node = root_.get("irt");
        if (!node) return;
        const toml::table& t = tableAt(*node, "irt");
        checkKeys(t, "irt.", kIrtKeys);
        remember(t, "irt");
        IrtSettings& irt = file_.irt;
        if (const toml::node* i = t.get("items")) {
            const std::string written = text(*i, "irt.items");
            if (written.empty()) fail(i, "irt.items", "names no file");
            irt.itemsPath = resolved(written);
            remember(*i, "irt.items");
        }
        if (const toml::node* d = t.get("D")) {
            irt.scaling = number(*d, "irt.D");
            if (!(irt.scaling > 0.0)) fail(d, "irt.D", "must be above 0 (often 1, 1.7 or 1.702)");
        }
        if (const toml::node* c = t.get("theta")) irt.thetaColumn = text(*c, "irt.theta");
        if (const toml::node* c = t.get("theta_se")) irt.thetaSeColumn = text(*c, "irt.theta_se");
        if (const toml::node* e = t.get("estimator")) {
            const std::string name = text(*e, "irt.estimator");
            if (!oneOf(name, kIrtEstimatorNames))
                fail(e, "irt.estimator", "must be \"eap\" or \"mle\", not \"" + name + "\"");
            irt.maximumLikelihood = name == kIrtEstimatorNames[1];
        }
        if (const toml::node* v = t.get("prior_mean")) irt.priorMean = number(*v, "irt.prior_mean");
        if (const toml::node* v = t.get("prior_sd")) {
            irt.priorSd = number(*v, "irt.prior_sd");
            if (!(irt.priorSd > 0.0)) fail(v, "irt.prior_sd", "must be above 0");
        }
        if (const toml::node* v = t.get("points"))
            irt.priorPoints =
                static_cast<int>(std::min<std::int64_t>(whole(*v, "irt.points", 2), 10001));
        if (const toml::node* p = t.get("population")) {
            const std::string written = text(*p, "irt.population");
            if (written != "normal") irt.populationPath = resolved(written);
        }
        if (const toml::node* v = t.get("mean")) irt.populationMean = number(*v, "irt.mean");
        if (const toml::node* v = t.get("sd")) {
            irt.populationSd = number(*v, "irt.sd");
            if (!(irt.populationSd > 0.0)) fail(v, "irt.sd", "must be above 0");
        }
        if (const toml::node* c = t.get("cuts_on")) {
            const std::string where = text(*c, "irt.cuts_on");
            if (!oneOf(where, kIrtCutsOnNames))
                fail(c, "irt.cuts_on", "must be \"raw\" or \"theta\", not \"" + where + "\"");
            irt.cutsOnTheta = where == kIrtCutsOnNames[1];
        }
    }

    AnalysisFile file_;
    toml::table root_;
};

}  // namespace

InputError AnalysisFile::error(const std::string& key, const std::string& what, FindingCode code,
                               const std::string& closest) const {
    Finding finding;
    finding.code = code;
    finding.text = oneLine(where(key) + what);
    finding.file = path;
    const auto line = lines.find(key);
    if (line != lines.end()) finding.line = line->second;
    finding.key = key;
    finding.closest = closest;
    return InputError(std::move(finding));
}

std::string AnalysisFile::where(const std::string& key) const {
    const auto line = lines.find(key);
    std::string at = path;
    if (line != lines.end() && line->second > 0) {
        at += ':';
        at += std::to_string(line->second);
    }
    at += ": ";
    if (!key.empty()) {
        at += key;
        at += ": ";
    }
    return at;
}

AnalysisFile readAnalysisFile(std::string_view text, const std::string& path) {
    return Reader(text, path).read();
}

bool isAnalysisFileName(const std::string& path) {
    std::string ext = fileNameText(filePathOf(path).extension());
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".toml";
}

}  // namespace tl
