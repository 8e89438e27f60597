#include "app/analysis_run.h"

#include <new>
#include <optional>
#include <string>

#include "analysis/analysis_file_run.h"
#include "analysis/analyze.h"
#include "app/console.h"
#include "app/run_progress.h"
#include "app/warnings.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/one_line.h"
#include "platform/atomic_file.h"
#include "results_files/results_directory.h"
#include "text_report/report_writer.h"

namespace tl {

namespace {

Engine engineNamed(const std::string& name) {
    if (name == "enumerate") return Engine::Enumerate;
    if (name == "convolve") return Engine::Convolve;
    return Engine::Auto;
}

class AnalysisJob {
  public:
    AnalysisJob(std::ostream& out, std::ostream& err, const RunOptions& options,
                const GivenOptions& given)
        : out_(out), err_(err), options_(options), given_(given) {}

    void run() {
        AnalysisFile file = readAnalysisFileAt(*options_.cardFile);
        merge(file);
        if (!file.reportPath && !resultsDir_) {
            throw InputError(
                oneLine(file.where("") +
                        "nothing to write: give [output] report or results, or --results "
                        "DIR"));
        }
        const auto warn = [this](const std::string& text) { this->warn(text); };
        const auto note = [this](const std::string& text) { this->note(text); };
        const PreparedAnalysis prepared = prepareAnalysis(std::move(file), warn);

        AnalysisOptions analysis = options_.analysis;
        analysis.engine = engine_;
        analysis.tables = resultsDir_.has_value();
        analysis.bootstrapReplicates = bootstrap_;
        analysis.seed = seed_;
        analysis.scale = commandLineScale(prepared.file);
        AnalysisHooks hooks;
        hooks.onNegativeFactorial = [this] { out_ << messages::kNegativeFactorial << '\n'; };
        RunProgress progress(err_, options_.progress);
        progress.attach(hooks);
        hooks.onPlan = [&progress](const RunPlan& plan) { progress.planned(plan); };
        const Results results = analyzePrepared(prepared, analysis, warn, note, hooks);
        progress.finish();
        const std::vector<Warning> found = runWarnings(results);
        if (strict_) {
            for (const Warning& w : found) {
                if (w.dataMisfit) throw InputError(oneLine(w.text + " (an error under --strict)"));
            }
        }
        for (const Warning& w : found) warn(w.text);
        if (resultsDir_) writeResultsDirectory(results, *resultsDir_);
        const std::optional<std::string>& report = prepared.file.reportPath;
        if (report) writeFileAtomically(*report, composeReport(results));
        if (options_.onResults) options_.onResults(results);
        out_ << messages::kSuccess << '\n';
    }

  private:
    // The command line's options over the file's.
    void merge(const AnalysisFile& file) {
        resultsDir_ = options_.resultsDir ? options_.resultsDir : file.resultsDir;
        const AnalysisOptions& asked = options_.analysis;
        bootstrap_ = given_.bootstrap ? asked.bootstrapReplicates : file.bootstrap.value_or(0);
        seed_ = given_.seed ? asked.seed : file.seed.value_or(asked.seed);
        engine_ = given_.engine || !file.engine ? asked.engine : engineNamed(*file.engine);
        strict_ = options_.strict || file.strict;
    }

    // --scale and --cuts-on over the file's [scale]; none when neither is given,
    // and the file's own [scale] applies.
    std::optional<ScaleRequest> commandLineScale(const AnalysisFile& file) const {
        if (options_.scaleFile) {
            const bool cutsOnScale =
                given_.cutsOn ? options_.cutsOnScale : file.scale && file.scale->cutsOnScale;
            return scaleRequest(options_.scaleFile, cutsOnScale);
        }
        if (!given_.cutsOn) return std::nullopt;
        if (!file.scale) return scaleRequest(std::nullopt, options_.cutsOnScale);
        return ScaleRequest{file.scale->table, options_.cutsOnScale};
    }

    void warn(const std::string& text) {
        if (!options_.quiet) err_ << "tesserlink: warning: " << oneLine(text) << '\n';
    }
    void note(const std::string& text) {
        if (!options_.quiet) err_ << "tesserlink: note: " << oneLine(text) << '\n';
    }

    std::ostream& out_;
    std::ostream& err_;
    const RunOptions& options_;
    const GivenOptions& given_;
    std::optional<std::string> resultsDir_;
    std::int64_t bootstrap_ = 0;
    std::uint64_t seed_ = 1;
    Engine engine_ = Engine::Auto;
    bool strict_ = false;
};

}  // namespace

int runAnalysisFile(std::ostream& out, std::ostream& err, const RunOptions& options,
                    const GivenOptions& given) {
    std::string failure;
    try {
        AnalysisJob(out, err, options, given).run();
        return 0;
    } catch (const InputError& error) {
        failure = "tesserlink: " + oneLine(error.what());
    } catch (const DetectedError& error) {
        failure = "tesserlink: " + oneLine(*options.cardFile + ": " + error.reason());
    } catch (const std::bad_alloc&) {
        failure = "tesserlink: not enough memory for this run";
    }
    err << failure << '\n';
    if (options.onError) options.onError(failure);
    return 2;
}

GivenOptions givenOptions(const ParseOutcome& parsed) {
    const CommandLine& line = *parsed.run;
    return {line.analysis.bootstrapReplicates != 0, parsed.seedGiven, parsed.engineGiven,
            parsed.cutsOnGiven};
}

}  // namespace tl
