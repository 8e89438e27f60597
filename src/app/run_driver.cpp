#include "app/run_driver.h"

#include <new>
#include <optional>
#include <string>

#include "analysis/analyze.h"
#include "app/console.h"
#include "app/run_progress.h"
#include "app/warnings.h"
#include "core/errors.h"
#include "core/limits.h"
#include "core/messages.h"
#include "core/one_line.h"
#include "input/control_card_reader.h"
#include "input/file_data_source.h"
#include "input/scale_table_reader.h"
#include "plan/card_checks.h"
#include "plan/run_plan.h"
#include "platform/atomic_file.h"
#include "platform/file_names.h"
#include "platform/text_file.h"
#include "results_files/results_directory.h"
#include "text_report/report_writer.h"

namespace tl {

namespace {

class Job {
  public:
    Job(Console& console, std::ostream& err, const RunOptions& options)
        : console_(console), err_(err), options_(options) {}

    void run() {
        const std::string cardFile = cardFileName();
        const std::optional<std::string> cardText = readTextFile(cardFile);
        if (!cardText) throw DetectedError{messages::missingFile(cardFile)};

        CardFindings findings;
        const ControlCard card = readControlCard(*cardText, cardFile, &findings);
        warn(cardWarnings(findings, cardFile));
        FileDataSource data(card);
        AnalysisOptions analysis = options_.analysis;
        analysis.tables = options_.resultsDir.has_value();
        analysis.scale = scaleRequest(options_.scaleFile, options_.cutsOnScale);
        AnalysisHooks hooks;
        hooks.substitutes = options_.substitutes;
        RunProgress progress(err_, options_.progress);
        progress.attach(hooks);
        hooks.onPlan = [&](const RunPlan& plan) {
            refuseUnsafeOutput(card, cardFile);
            warn(missingDataFileWarnings(card));
            noteEngine(plan);
            progress.planned(plan);
        };
        const bool dialogue = !options_.cardFile;
        hooks.onNegativeFactorial = [this, dialogue] {
            console_.line(messages::kNegativeFactorial);
            if (dialogue) console_.waitForEnter();
        };
        const Results results = analyze(card, data, analysis, hooks);
        progress.finish();
        const std::vector<Warning> found = runWarnings(results);
        if (options_.strict) {
            for (const Warning& w : found) {
                if (w.dataMisfit) throw InputError(w.text + " (an error under --strict)");
            }
        }
        warn(found);
        if (options_.resultsDir) writeResultsDirectory(results, filePathOf(*options_.resultsDir));
        writeFileAtomically(card.outputFile, composeReport(results));
        if (options_.onResults) options_.onResults(results);
        console_.line(messages::kSuccess);
    }

  private:
    std::string cardFileName() {
        if (options_.cardFile) return *options_.cardFile;
        console_.line(messages::kPrompt);
        const std::string name = fileNameOf(console_.readFileName());
        warn(promptWarnings(console_.typedName(), name));
        return name;
    }

    void noteEngine(const RunPlan& run) {
        const EnginePlan& plan = run.engine;
        const bool forced = run.options.engine == Engine::Convolve;
        for (std::size_t s = 0; s < plan.convolveSet.size(); ++s) {
            if (!plan.convolveSet[s]) continue;
            const std::int64_t vectors = plan.countVectors[s];
            note("set " + std::to_string(s + 1) + " has " +
                 (vectors > kCountedVectors ? "more than " + withThousands(kCountedVectors)
                                            : withThousands(vectors)) +
                 " count vectors; its distributions are computed by convolution" +
                 (forced ? " (--engine convolve)" : ""));
        }
        if (plan.convolveComposite) {
            note(std::string("the composite has ") + (forced ? "" : "more than ") +
                 withThousands(forced ? plan.combinations : plan.combinations - 1) +
                 " combinations of raw scores per examinee; its distribution is computed by "
                 "convolution" +
                 (forced ? " (--engine convolve)" : ""));
        }
    }

    void warn(const std::vector<Warning>& warnings) {
        if (options_.quiet) return;
        for (const Warning& w : warnings)
            err_ << "tesserlink: warning: " << oneLine(w.text) << '\n';
    }
    void note(const std::string& text) {
        if (!options_.quiet) err_ << "tesserlink: note: " << oneLine(text) << '\n';
    }

    Console& console_;
    std::ostream& err_;
    const RunOptions& options_;
};

}  // namespace

std::optional<ScaleRequest> scaleRequest(const std::optional<std::string>& scaleFile,
                                         bool cutsOnScale) {
    if (!scaleFile) {
        if (cutsOnScale) {
            throw InputError(
                "--cuts-on scale needs the conversion table: give --scale FILE as well");
        }
        return std::nullopt;
    }
    return ScaleRequest{readScaleTableFile(*scaleFile, *scaleFile), cutsOnScale};
}

int runTesserlink(std::istream& in, std::ostream& out, std::ostream& err,
                  const RunOptions& options) {
    Console console(in, out);
    int status = 0;
    std::string failure;
    try {
        Job(console, err, options).run();
    } catch (const DetectedError& error) {
        failure = error.consoleLine;
        console.line(failure);
        status = 1;
    } catch (const InputError& error) {
        failure = "tesserlink: " + oneLine(error.what());
        err << failure << '\n';
        status = 2;
    } catch (const std::bad_alloc&) {
        failure = "tesserlink: not enough memory for this run";
        err << failure << '\n';
        status = 2;
    }
    if (status != 0 && options.onError) options.onError(failure);
    if ((status == 2 || options.cardFile) && !options.pauseAlways) return status;
    console.pause();
    return status;
}

}  // namespace tl
