#include "run/run_options.h"

#include "core/errors.h"
#include "input/scale_table_reader.h"

namespace tl {

SettledOptions settleOptions(const RunRequest& request, const AnalysisFile* file) {
    SettledOptions settled;
    AnalysisOptions& a = settled.analysis;
    a.threads = request.threads;
    a.maxMemory = request.maxMemory;
    const AnalysisOptions defaults;
    a.bootstrapReplicates = request.bootstrap.value_or(file ? file->bootstrap.value_or(0) : 0);
    a.seed = request.seed.value_or(file && file->seed ? *file->seed : defaults.seed);
    a.engine = defaults.engine;
    if (request.engine) {
        a.engine = *request.engine;
    } else if (file && file->engine) {
        a.engine = engineNamed(*file->engine).value_or(defaults.engine);
    }
    settled.strict = request.strict || (file && file->strict);
    settled.strictByFile = !request.strict && settled.strict;
    settled.resultsDir = request.resultsDir;
    if (!settled.resultsDir && file) settled.resultsDir = file->resultsDir;
    // The results files need the tables; so do callers that show them.
    a.tables = request.tables || (request.write && settled.resultsDir.has_value());
    return settled;
}

std::optional<ScaleRequest> settleScale(const RunRequest& request, const AnalysisFile* file) {
    const bool fileCutsOnScale = file && file->scale && file->scale->cutsOnScale;
    if (request.scaleFile) {
        return ScaleRequest{readScaleTableFile(*request.scaleFile, *request.scaleFile),
                            request.cutsOnScale.value_or(fileCutsOnScale)};
    }
    if (!request.cutsOnScale) return std::nullopt;
    if (file && file->scale) return ScaleRequest{file->scale->table, *request.cutsOnScale};
    if (*request.cutsOnScale) {
        Finding finding;
        finding.code = FindingCode::OptionInvalid;
        finding.key = "scale.cuts_on";
        finding.value = "scale";
        finding.text = "--cuts-on scale needs the conversion table: give --scale FILE as well";
        throw InputError(std::move(finding));
    }
    return std::nullopt;
}

}  // namespace tl
