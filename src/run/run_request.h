#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/shared_tables.h"
#include "core/analysis_options.h"
#include "core/control_card.h"
#include "core/examinee_groups.h"
#include "core/model_choice.h"
#include "core/run_labels.h"
#include "core/scale_table.h"
#include "input/memory_data_source.h"
#include "model/model_options.h"

namespace tl {

// Scores a caller holds in memory (R, Python): the card they make, one matrix
// per set, and what names them.
struct MemoryInput {
    ControlCard card;
    std::vector<ScoreMatrix> scores;
    ExamineeGroups groups;
    RunLabels labels;
    ExamineeRecords records;
    // The conversion table, when the caller gives one.
    std::optional<ScaleTable> scale;
    // Each set's item names, in item order (the caller's column names): the
    // IRT model matches its parameters to them.
    std::vector<std::vector<std::string>> itemNames;
    // Per set, per item: whether the item is reverse-keyed, its scores turned
    // as an analysis file's `reverse` turns them (empty: none is).
    std::vector<std::vector<bool>> reversed;
};

// Everything a front end can ask of one run. An option left empty was not
// given: an analysis file's own setting applies then, or the default.
struct RunRequest {
    // What to run: a control card, or an analysis file (a name ending in
    // .toml), or `memory`. The console dialogue asks for the card's name and
    // then names it here.
    std::optional<std::string> file;
    std::shared_ptr<const MemoryInput> memory;
    // The console dialogue runs what is typed as a control card, whatever
    // its name.
    bool fileIsCard = false;

    std::optional<std::int64_t> bootstrap;  // 0: none, even where a file asks for one
    std::optional<std::uint64_t> seed;
    std::optional<Engine> engine;
    unsigned threads = 0;  // 0: every hardware thread
    // The most memory the run may plan for, in bytes (0: the machine's limit).
    std::uint64_t maxMemory = 0;
    // Data that does not fit is an error; a file's `strict = true` makes it
    // so too.
    bool strict = false;
    std::optional<std::string> scaleFile;  // the conversion table's CSV file
    std::optional<bool> cutsOnScale;       // the cuts are scale scores
    std::optional<std::string> resultsDir;
    // The folder of the results page's figures as files of their own.
    std::optional<std::string> figuresDir;
    // The error models and their methods, the first the primary one (empty:
    // the analysis file's, or the multinomial); each method goes to the first
    // model of its kind without one, and names its own model when no model is
    // named. The item-parameter table of an IRT run; a caller's settings in
    // place of an analysis file's [irt] or [model].
    std::vector<ModelKind> models;
    std::vector<ModelMethod> methods;
    std::optional<std::string> items;
    std::optional<IrtSettings> irt;
    std::optional<BetaBinomialSettings> betaBinomial;
    // Cuts in place of the card's or file's (overrideCuts): --cuts sets the
    // true cuts too unless --true-cuts gives them.
    std::optional<std::vector<double>> cuts;
    std::optional<std::vector<double>> trueCuts;
    // The what-if sweep; an analysis file's [sweep] settings apply when this
    // asks for it without settings of its own.
    std::optional<SweepOptions> sweep;
    std::optional<bool> fit;  // the multinomial's fit check; else the file's
    // The analysis file's report is not written (a testing program's other
    // cut sets write their results folders alone).
    bool withoutReport = false;
    // Runs of one analysis file that read its table once between them (the
    // file and its other cut sets in a testing program): the table is shared
    // among `tableUsers` runs under the file's name.
    std::shared_ptr<SharedTables> sharedTables;
    std::size_t tableUsers = 1;
    // A card's report goes here in place of the card's output file; "" writes
    // none.
    std::optional<std::string> cardReport;
    // A card's data files and output file are named relative to the card's
    // folder (R), not to the working directory (the command line).
    bool namesBesideCard = false;
    // The results files' tables are computed even when no folder is written
    // (R and Python show them).
    bool tables = false;
    // Whether the run writes its report and results folder; R writes only
    // when asked.
    bool write = true;

    // The benchmark's literal kernels in place of the engines.
    SubstituteKernels substitutes;

    bool operator==(const RunRequest&) const = default;
};

}  // namespace tl
