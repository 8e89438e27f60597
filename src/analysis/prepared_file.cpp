#include "analysis/prepared_file.h"

#include <filesystem>
#include <memory>
#include <system_error>

#include "analysis/model_preparation.h"
#include "core/errors.h"
#include "core/one_line.h"
#include "input/analysis_file_limits.h"
#include "input/file_data_source.h"
#include "input/scale_table_reader.h"
#include "plan/analysis_checks.h"
#include "platform/file_names.h"
#include "platform/regular_file.h"
#include "platform/text_file.h"

namespace tl {

namespace {

std::string absoluteText(const std::string& path) {
    std::error_code error;
    return fileNameText(std::filesystem::absolute(filePathOf(path), error));
}

}  // namespace

AnalysisFile readAnalysisFileAt(const std::string& path) {
    std::error_code error;
    const std::uintmax_t bytes = std::filesystem::file_size(filePathOf(path), error);
    if (!error) refuseOversizedAnalysisFile(bytes, path);
    const std::optional<std::string> text = readTextFile(path);
    if (!text) {
        throw InputError(oneLine(path + ": the analysis file does not exist (tried " +
                                 absoluteText(path) + ")"));
    }
    return readAnalysisFile(*text, path);
}

PreparedAnalysis prepareAnalysis(AnalysisFile file, const FindingSink& found, ModelChoice* model) {
    std::optional<ResolvedColumns> columns;
    if (model && model->kind == ModelKind::Irt && !file.table)
        throw file.error("irt.items",
                         "the IRT model matches parameters to the items' column names: give "
                         "the scores as one table with [data] file",
                         FindingCode::ModelRefused);
    if (file.table) {
        const std::vector<std::string> header = readTableHeader(file.table->source);
        columns = resolveColumns(file, header);
        for (const Finding& w : columns->warnings) found(w);
        if (model) prepareIrt(file, header, *columns, *model, found);
    } else {
        for (std::size_t s = 0; s < file.dataPaths.size(); ++s) {
            std::error_code error;
            refuseSpecialFile(file.dataPaths[s]);
            if (!std::filesystem::is_regular_file(filePathOf(file.dataPaths[s]), error)) {
                throw file.error(
                    "sets[" + std::to_string(s + 1) + "]",
                    "the data file does not exist (tried " + absoluteText(file.dataPaths[s]) + ")");
            }
        }
    }
    if (file.scale && file.scale->tablePath) {
        const std::string& path = *file.scale->tablePath;
        std::error_code error;
        refuseSpecialFile(path);
        if (!std::filesystem::is_regular_file(filePathOf(path), error)) {
            throw file.error("scale.table", "the conversion table does not exist (tried " +
                                                absoluteText(path) + ")");
        }
        file.scale->table = readScaleTableFile(path, file.scale->table.source);
    }
    ScaledCard scaled = scaleAnalysisFile(file);
    refuseUnsafeAnalysisOutput(file);
    return {std::move(file), std::move(columns), std::move(scaled)};
}

Results analyzePrepared(const PreparedAnalysis& prepared, const AnalysisOptions& options,
                        const FindingSink& found, const AnalysisHooks& hooks,
                        TableSharing sharing) {
    const AnalysisFile& file = prepared.file;
    std::shared_ptr<DataSource> data;
    std::shared_ptr<TableDataSource> table;
    ControlCard opened = file.card;  // the per-set files as they are opened
    if (file.table) {
        const auto read = [&] {
            return std::make_shared<TableDataSource>(file, *prepared.columns);
        };
        table = sharing.tables ? sharing.tables->source(file.path, sharing.users, read) : read();
        for (const Finding& f : table->findings()) found(f);
        data = table;
    } else {
        for (std::size_t s = 0; s < opened.itemSets.size(); ++s)
            opened.itemSets[s].dataFile = file.dataPaths[s];
        data = std::make_shared<FileDataSource>(opened);
    }
    AnalysisHooks planned = hooks;
    bool reached = false;
    planned.onPlan = [&](const RunPlan& plan) {
        reached = true;
        if (hooks.onPlan) hooks.onPlan(plan);
    };
    // The file's scale, planned when it was prepared, unless the caller gives one.
    AnalysisOptions asked = options;
    ScaledCard scaled = prepared.scaled;
    if (asked.scale) {
        scaled = scaleCard(file.card, std::move(scaled.scales), asked.scale);
    } else if (file.scale) {
        asked.scale = ScaleRequest{file.scale->table, file.scale->cutsOnScale};
    }
    refuseModelRun(file.card, asked.model, asked.scale.has_value(),
                   file.table ? file.table->groups : std::vector<std::string>{},
                   asked.bootstrapReplicates > 0);
    Results results;
    try {
        results = analyze(std::move(scaled), *data, asked, planned);
    } catch (const DetectedError& error) {
        if (reached) throw;
        throw analysisRefusal(file, error);
    }
    results.labels = file.labels;
    if (table) {
        results.records = table->records();
        results.table = table->summary();
    }
    return results;
}

}  // namespace tl
