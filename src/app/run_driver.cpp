#include "app/run_driver.h"

#include <new>
#include <optional>
#include <string>

#include "analysis/analyze.h"
#include "app/console.h"
#include "app/progress.h"
#include "app/warnings.h"
#include "core/errors.h"
#include "core/limits.h"
#include "core/messages.h"
#include "input/control_card_reader.h"
#include "input/file_data_source.h"
#include "plan/card_checks.h"
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
        const ScoreScales scales = prepareScales(card, options_.model.engine);
        refuseUnsafeOutput(card, cardFile);
        warn(missingDataFileWarnings(card));
        noteEngine(planEngine(card, scales, options_.model.engine));

        FileDataSource data(card);
        AnalysisOptions analysis = analysisOptions();
        std::optional<Progress> steps, replicates;
        if (options_.progress) {
            // The sets in each pass, then the composite.
            const std::size_t passes = card.biasCorrection == 1 ? 2 : 1;
            steps.emplace(err_, true, "Computing", card.itemSets.size() * passes + 1);
            analysis.onProgress = [&](std::int64_t done, std::int64_t total) {
                steps->advance();
                if (done == total) steps->finish();
            };
            analysis.onBootstrapProgress = [&](std::int64_t, std::int64_t total) {
                if (!replicates) {
                    replicates.emplace(err_, true, "Bootstrap replicates",
                                       static_cast<std::uint64_t>(total));
                }
                replicates->advance();
            };
        }
        const Results results = analyze(card, scales, data, analysis);
        if (replicates) replicates->finish();
        const std::vector<Warning> found = runWarnings(results);
        if (options_.strict) {
            for (const Warning& w : found) {
                if (w.dataMisfit) throw InputError(w.text + " (an error under --strict)");
            }
        }
        warn(found);
        if (options_.resultsDir) writeResultsDirectory(results, filePathOf(*options_.resultsDir));
        writeFileAtomically(card.outputFile, composeReport(results));
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

    AnalysisOptions analysisOptions() {
        AnalysisOptions analysis;
        analysis.model = options_.model;
        analysis.tables = options_.resultsDir.has_value();
        analysis.bootstrapReplicates = options_.bootstrap;
        analysis.seed = options_.seed;
        const bool dialogue = !options_.cardFile;
        analysis.onNegativeFactorial = [this, dialogue] {
            console_.line(messages::kNegativeFactorial);
            if (dialogue) console_.waitForEnter();
        };
        return analysis;
    }

    void noteEngine(const EnginePlan& plan) {
        for (std::size_t s = 0; s < plan.convolveSet.size(); ++s) {
            if (!plan.convolveSet[s]) continue;
            const bool forced = options_.model.engine == ModelOptions::Engine::Convolve;
            const std::int64_t vectors = plan.countVectors[s];
            note("set " + std::to_string(s + 1) + " has " +
                 (vectors > kCountedVectors ? "more than " + withThousands(kCountedVectors)
                                            : withThousands(vectors)) +
                 " count vectors; its distributions are computed by convolution" +
                 (forced ? " (--engine convolve)" : ""));
        }
        if (plan.convolveComposite) {
            const bool forced = options_.model.engine == ModelOptions::Engine::Convolve;
            note(std::string("the composite has ") + (forced ? "" : "more than ") +
                 withThousands(forced ? plan.combinations : plan.combinations - 1) +
                 " combinations of raw scores per examinee; its distribution is computed by "
                 "convolution" +
                 (forced ? " (--engine convolve)" : ""));
        }
    }

    void warn(const std::vector<Warning>& warnings) {
        if (options_.quiet) return;
        for (const Warning& w : warnings) err_ << "tesserlink: warning: " << w.text << '\n';
    }
    void note(const std::string& text) {
        if (!options_.quiet) err_ << "tesserlink: note: " << text << '\n';
    }

    Console& console_;
    std::ostream& err_;
    const RunOptions& options_;
};

}  // namespace

int runTesserlink(std::istream& in, std::ostream& out, std::ostream& err,
                  const RunOptions& options) {
    Console console(in, out);
    int status = 0;
    try {
        Job(console, err, options).run();
    } catch (const DetectedError& error) {
        console.line(error.consoleLine);
        status = 1;
    } catch (const InputError& error) {
        err << "tesserlink: " << error.what() << '\n';
        status = 2;
    } catch (const std::bad_alloc&) {
        err << "tesserlink: not enough memory for this run\n";
        status = 2;
    }
    if ((status == 2 || options.cardFile) && !options.pauseAlways) return status;
    console.pause();
    return status;
}

}  // namespace tl
