#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/control_card.h"
#include "core/errors.h"
#include "core/examinee_groups.h"
#include "core/model_choice.h"
#include "core/run_labels.h"
#include "core/scale_table.h"
#include "core/sweep_options.h"
#include "tables/table.h"

namespace tl {

// What a missing response becomes: an error, the examinee left out, or a score.
struct MissingRule {
    enum class Kind { Error, Omit, Score } kind = Kind::Error;
    double score = 0.0;
    bool operator==(const MissingRule&) const = default;
};

// The one table that holds every set's items, as [data] describes it.
struct AnalysisTable {
    std::string file;    // as written in the analysis file
    TableSource source;  // the path resolved against the analysis file's folder
    std::string id;      // the ID column; empty: none
    MissingRule missing;
    std::vector<double> missingCodes;
    // Columns whose levels the results are also given for (sex, English
    // learners), and below how many examinees a level is flagged small.
    std::vector<std::string> groups;
    std::int64_t minGroup = ExamineeGroups::kDefaultMinGroup;
    // Per grouping column, the name of each value as its cells write it
    // ([data.level_labels] sex = { 1 = "male" }).
    std::map<std::string, std::map<std::string, std::string>> levelLabels;
};

// A set's columns in the table, before the header is known.
struct SetColumns {
    std::string range;               // "mc01:mc40"; empty when `names` lists them
    std::vector<std::string> names;  // the columns listed one by one
    std::vector<std::string> reverse;
    std::optional<MissingRule> missing;  // overrides [data].missing
};

// The [scale] table: a conversion table in a CSV file (`table`, read when the
// file is prepared) or written inline (`raw` and `scale`), and where the cuts
// are written.
struct AnalysisScale {
    std::optional<std::string> tablePath;  // `table` resolved; empty: inline
    ScaleTable table;                      // the inline rows, or the file's once read
    bool cutsOnScale = false;
};

// Another set of cuts for the same table: a testing program runs it as a
// test of its own.
struct CutSet {
    std::string name;
    std::vector<double> observedCuts;
    std::vector<double> trueCuts;  // the observed cuts unless the file gives them
};

// One model an analysis file names ([model], or one [[model]] of several):
// kind and method unset where the file says nothing, so that a request's
// model and method win and the defaults come last.
struct ModelEntry {
    std::optional<ModelKind> kind;
    std::optional<ModelMethod> method;
    std::string name;  // empty: the method's name
    BetaBinomialSettings betaBinomial;
    std::optional<double> minExpected;
    std::string key;  // "model", or "model[2]" for the second [[model]]
};

// An analysis file as read: a control card with every number the model needs
// (a table set's item count stays 0 until the header is read), and the rest.
struct AnalysisFile {
    std::string path;    // the analysis file, as named
    std::string folder;  // where its relative paths start
    ControlCard card;    // data and output file names as written
    RunLabels labels;
    std::optional<AnalysisTable> table;     // absent: every set names its own `file`
    std::vector<SetColumns> columns;        // per set, with a table
    std::vector<std::string> dataPaths;     // per set, without a table: the resolved files
    std::optional<std::string> reportPath;  // [output] report, resolved
    std::optional<std::string> resultsDir;  // [output] results, resolved
    std::optional<std::string> figuresDir;  // [output] figures, resolved
    std::optional<std::int64_t> bootstrap;
    std::optional<std::uint64_t> seed;
    std::optional<std::string> engine;  // auto | enumerate | convolve
    bool strict = false;
    std::optional<AnalysisScale> scale;
    // [model], or each [[model]] in order (the first is the primary one);
    // empty where the file names none. [irt] serves every IRT model.
    std::vector<ModelEntry> models;
    IrtSettings irt;
    std::optional<SweepOptions> sweep;  // [sweep]
    std::optional<bool> fit;            // [options] fit
    std::vector<CutSet> alternatives;   // [[classification.alternatives]]
    // The line of each key that later checks may name, as "sets[2].points".
    std::map<std::string, std::int64_t> lines;

    // "g5math.toml:12: sets[2].points: " for a key, "g5math.toml: " without one.
    std::string where(const std::string& key) const;
    // The error `what` about `key` (empty: the file as a whole), naming the
    // file, the key's line and the key, and the closest known name if any.
    InputError error(const std::string& key, const std::string& what,
                     FindingCode code = FindingCode::AnalysisFileKey,
                     const std::string& closest = "") const;
};

// Reads an analysis file's text. Every mistake (TOML syntax, an unknown key,
// a wrong type, a missing key, a value beyond the limits) throws InputError
// with one line naming the file, the line and the key.
AnalysisFile readAnalysisFile(std::string_view text, const std::string& path);

// Whether a command-line FILE names an analysis file rather than a card.
bool isAnalysisFileName(const std::string& path);

}  // namespace tl
