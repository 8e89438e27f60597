#pragma once

#include <functional>
#include <optional>
#include <string>

#include "analysis/analyze.h"
#include "analysis/shared_tables.h"
#include "core/finding.h"
#include "input/analysis_file.h"
#include "input/table_data_source.h"
#include "results/results.h"

namespace tl {

// Receives each warning or note a step gives.
using FindingSink = std::function<void(const Finding&)>;

// Reads the analysis file at `path`. Throws InputError naming the path tried
// when there is no such file, and for every mistake in it.
AnalysisFile readAnalysisFileAt(const std::string& path);

// An analysis file checked against its data before any score is read: the
// table's header (or the per-set files' presence) and the score scales.
struct PreparedAnalysis {
    AnalysisFile file;  // table sets' item counts filled in from the header
    std::optional<ResolvedColumns> columns;
    ScaledCard scaled;  // the card on its scales and the file's own [scale]
};

// Finds the table's columns (warning of an item in two sets), checks that every
// per-set file exists and the cut scores lie on the composite scale, and
// refuses a report that would overwrite an input. Throws InputError.
// With `model`, readies the model's inputs too (prepareIrt), and refuses what
// the model cannot run.
PreparedAnalysis prepareAnalysis(AnalysisFile file, const FindingSink& found,
                                 ModelChoice* model = nullptr);

// The run of a prepared analysis file: its table or per-set files read, the
// same model as a card run, and the Results named with the file's title, set
// names and category labels, and with the table's rows, IDs and missing counts.
// A card the run plan refuses is an InputError in the file's own terms.
// With `shared`, the table is read once among `users` runs of the same file.
struct TableSharing {
    SharedTables* tables = nullptr;
    std::size_t users = 1;
};
Results analyzePrepared(const PreparedAnalysis& prepared, const AnalysisOptions& options,
                        const FindingSink& found, const AnalysisHooks& hooks = {},
                        TableSharing sharing = {});

}  // namespace tl
