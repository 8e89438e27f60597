#include "run/run.h"

#include <algorithm>
#include <filesystem>
#include <new>
#include <string>
#include <utility>

#include "analysis/compared_runs.h"
#include "analysis/model_preparation.h"
#include "analysis/prepared_file.h"
#include "core/messages.h"
#include "core/one_line.h"
#include "input/control_card_reader.h"
#include "input/file_data_source.h"
#include "input/memory_data_source.h"
#include "plan/card_checks.h"
#include "plan/run_paths.h"
#include "platform/file_names.h"
#include "platform/text_file.h"
#include "results_files/results_transaction.h"
#include "run/run_findings.h"
#include "run/run_options.h"
#include "text_report/report_writer.h"

namespace tl {

namespace {

enum class Route { Card, AnalysisFile, Memory };

Route routeOf(const RunRequest& request) {
    if (request.memory) return Route::Memory;
    const bool analysisFile =
        !request.fileIsCard && request.file && isAnalysisFileName(*request.file);
    return analysisFile ? Route::AnalysisFile : Route::Card;
}

class Run {
  public:
    Run(const RunRequest& request, const RunEvents& events, RunOutcome& outcome)
        : request_(request), events_(events), outcome_(outcome) {}

    // The IRT model matches its parameters to a table's columns, so it runs
    // on analysis files and on named scores in memory.
    static void refuseModelWithoutTable(const ModelChoice& model) {
        if (model.kind != ModelKind::Irt) return;
        Finding finding;
        finding.code = FindingCode::ModelRefused;
        finding.key = "model";
        finding.value = std::string(modelKindName(model.kind));
        finding.text = "the " + finding.value +
                       " model runs on an analysis file (.toml) with its data table, whose "
                       "column names its parameters name; a control card has none";
        throw InputError(std::move(finding));
    }

    // Given abilities are a column of a data table; scores in memory have
    // none beside their items.
    static void refuseGivenAbilities(const ModelChoice& model) {
        if (model.irt.thetaColumn.empty()) return;
        Finding finding;
        finding.code = FindingCode::IrtTheta;
        finding.key = "irt.theta";
        finding.value = model.irt.thetaColumn;
        finding.text =
            "abilities are read from a column of an analysis file's data table; "
            "scores in memory have none: leave theta out to estimate them";
        throw InputError(std::move(finding));
    }

    Results cardRun(const std::string& cardFile) {
        const std::optional<std::string> cardText = readTextFile(cardFile);
        if (!cardText) {
            throw DetectedError(messages::missingFile(cardFile), FindingCode::CardFileMissing);
        }
        CardFindings noticed;
        ControlCard card = readControlCard(*cardText, cardFile, &noticed);
        found(cardFindings(noticed, cardFile));
        RunLabels noLabels;
        overrideCuts(request_, card, noLabels);
        // The card keeps its names for the report's echo; the files are opened
        // as `located` names them.
        const ControlCard located = locatedCard(card, cardFile);
        // A report named "" is none.
        const bool report =
            request_.write && !(request_.cardReport && request_.cardReport->empty());
        FileDataSource data(located);
        const SettledOptions settled = settleOptions(request_, nullptr);
        refuseModelWithoutTable(settled.analysis.model);
        AnalysisOptions analysis = settled.analysis;
        analysis.scale = settleScale(request_, nullptr);
        refuseModelRun(card, analysis.model, analysis.scale.has_value(), {},
                       analysis.bootstrapReplicates > 0);
        std::optional<OutputTransaction> outputs;
        AnalysisHooks hooks = hooksWith([&](const RunPlan&) {
            if (report) {
                refuseUnsafeOutput(located, cardFile);
                refuseCollidingPaths(cardRunPaths(located, cardFile, request_.scaleFile,
                                                  settled.resultsDir, settled.figuresDir));
            }
            if (request_.write) {
                outputs.emplace(report ? std::optional(located.outputFile) : std::nullopt,
                                settled.resultsDir, outputNote(), settled.figuresDir);
            }
            found(missingDataFileFindings(located));
        });
        for (const ModelChoice& further : settled.furtherModels) {
            refuseModelWithoutTable(further);
            refuseModelRun(card, further, analysis.scale.has_value(), {},
                           analysis.bootstrapReplicates > 0);
        }
        Results results = analyze(card, data, analysis, hooks);
        runFurtherModels(results, settled, analysis, [&](const AnalysisOptions& options) {
            return analyze(card, data, options, furtherHooks());
        });
        finish(results, settled, outputs);
        wrote(settled, report ? std::optional(located.outputFile) : std::nullopt);
        return results;
    }

    // The card's files where this run opens and writes them.
    ControlCard locatedCard(const ControlCard& card, const std::string& cardFile) const {
        ControlCard located = card;
        if (request_.namesBesideCard) {
            const std::filesystem::path folder = filePathOf(cardFile).parent_path();
            const auto beside = [&folder](const std::string& name) {
                if (name.empty() || folder.empty() || filePathOf(name).is_absolute()) return name;
                return fileNameText(folder / filePathOf(name));
            };
            for (ItemSet& set : located.itemSets) set.dataFile = beside(set.dataFile);
            located.outputFile = beside(card.outputFile);
        }
        if (request_.cardReport) located.outputFile = *request_.cardReport;
        return located;
    }

    Results analysisRun(const std::string& path) {
        AnalysisFile file = readAnalysisFileAt(path);
        overrideCuts(request_, file.card, file.labels);
        if (request_.withoutReport) file.reportPath.reset();
        SettledOptions settled = settleOptions(request_, &file);
        if (request_.write && !file.reportPath && !settled.resultsDir && !settled.figuresDir) {
            throw file.error("",
                             "nothing to write: give [output] report or results, or --results DIR",
                             FindingCode::OptionInvalid);
        }
        const FindingSink sink = [this](const Finding& f) { found(f); };
        const FindingSink onceSink = [this](const Finding& f) { foundOnce(f); };
        std::optional<AnalysisFile> unprepared;
        if (!settled.furtherModels.empty()) unprepared = file;
        const PreparedAnalysis prepared =
            prepareAnalysis(std::move(file), sink, &settled.analysis.model);
        std::vector<PreparedAnalysis> furtherPrepared;
        for (ModelChoice& further : settled.furtherModels)
            furtherPrepared.push_back(prepareAnalysis(*unprepared, onceSink, &further));
        std::optional<OutputTransaction> outputs;
        if (request_.write) {
            refuseCollidingPaths(analysisRunPaths(prepared.file, request_.scaleFile,
                                                  settled.resultsDir, settled.figuresDir));
            outputs.emplace(prepared.file.reportPath, settled.resultsDir, outputNote(),
                            settled.figuresDir);
        }
        AnalysisOptions analysis = settled.analysis;
        analysis.scale = settleScale(request_, &prepared.file);
        // Each model reads the table once more from those that share it.
        const std::size_t models = 1 + settled.furtherModels.size();
        SharedTables ownTables;
        TableSharing sharing{request_.sharedTables.get(), request_.tableUsers * models};
        if (!sharing.tables && models > 1) sharing.tables = &ownTables;
        Results results = analyzePrepared(prepared, analysis, sink, hooksWith({}), sharing);
        std::size_t next = 0;
        runFurtherModels(results, settled, analysis, [&](const AnalysisOptions& options) {
            return analyzePrepared(furtherPrepared[next++], options, onceSink, furtherHooks(),
                                   sharing);
        });
        finish(results, settled, outputs);
        wrote(settled, prepared.file.reportPath);
        return results;
    }

    // The caller's scores with its reverse-keyed items turned, as a table's
    // are; a missing score (NaN) stays missing.
    static std::vector<ScoreMatrix> reverseKeyed(const MemoryInput& input) {
        std::vector<ScoreMatrix> scores = input.scores;
        for (std::size_t s = 0; s < input.reversed.size() && s < scores.size(); ++s) {
            ScoreMatrix& m = scores[s];
            const double sum = reverseKeySum(input.card.itemSets[s]);
            const auto width = static_cast<std::size_t>(m.columns);
            for (std::size_t j = 0; j < input.reversed[s].size() && j < width; ++j) {
                if (!input.reversed[s][j]) continue;
                for (std::size_t r = 0; r * width + j < m.values.size(); ++r) {
                    double& v = m.values[r * width + j];
                    if (v == v) v = sum - v;
                }
            }
        }
        return scores;
    }

    Results memoryRun(const MemoryInput& input) {
        SettledOptions settled = settleOptions(request_, nullptr);
        AnalysisOptions analysis = settled.analysis;
        // The caller's own table stands in for a table's file.
        analysis.scale = input.scale
                             ? ScaleRequest{*input.scale, request_.cutsOnScale.value_or(false)}
                             : settleScale(request_, nullptr);
        ControlCard card = input.card;
        RunLabels labels = input.labels;
        overrideCuts(request_, card, labels);
        // Each model readies its own card: the IRT model puts its cuts on
        // the scales it uses.
        const ControlCard given = card;
        const auto ready = [&](ControlCard& modelCard, ModelChoice& model) {
            if (model.kind == ModelKind::Irt) {
                if (input.itemNames.size() != modelCard.itemSets.size())
                    refuseModelWithoutTable(model);
                refuseGivenAbilities(model);
                prepareIrt(modelCard, input.labels.setNames, input.itemNames, model,
                           [this](const Finding& f) { foundOnce(f); });
            } else {
                refuseModelWithoutTable(model);
            }
            refuseModelRun(modelCard, model, analysis.scale.has_value(),
                           input.groups.variables.empty() ? std::vector<std::string>{}
                                                          : std::vector<std::string>{"groups"},
                           analysis.bootstrapReplicates > 0);
        };
        ready(card, analysis.model);
        std::vector<ControlCard> furtherCards(settled.furtherModels.size(), given);
        for (std::size_t m = 0; m < furtherCards.size(); ++m)
            ready(furtherCards[m], settled.furtherModels[m]);
        MemoryDataSource data(reverseKeyed(input));
        data.setGroups(input.groups);
        std::optional<OutputTransaction> outputs;
        if (request_.write && (settled.resultsDir || settled.figuresDir))
            outputs.emplace(std::nullopt, settled.resultsDir, outputNote(), settled.figuresDir);
        Results results = analyze(card, data, analysis, hooksWith({}));
        results.labels = labels;
        results.records = input.records;
        std::size_t next = 0;
        runFurtherModels(results, settled, analysis, [&](const AnalysisOptions& options) {
            Results further = analyze(furtherCards[next++], data, options, furtherHooks());
            further.labels = labels;
            further.records = input.records;
            return further;
        });
        finish(results, settled, outputs);
        wrote(settled, std::nullopt);
        return results;
    }

    void found(const Finding& finding) {
        outcome_.findings.push_back(finding);
        if (events_.onFinding) events_.onFinding(finding);
    }
    // A finding the run has not yet given: the further models of a
    // comparison find much of what the first one did.
    void foundOnce(const Finding& finding) {
        if (!given(finding)) found(finding);
    }
    bool given(const Finding& finding) const {
        return std::any_of(outcome_.findings.begin(), outcome_.findings.end(),
                           [&](const Finding& f) { return sameFinding(f, finding); });
    }
    static bool sameFinding(const Finding& a, const Finding& b) {
        return a.code == b.code && a.text == b.text;
    }
    void found(const std::vector<Finding>& findings) {
        for (const Finding& f : findings) found(f);
    }

  private:
    // The further models of a comparison, each run by `runModel` with the
    // primary's options but its own model, into results.otherModels; then
    // the comparison of them all. Every model keeps its tables, and with a
    // bootstrap its replicates' values, drawn alike for all.
    template <class RunModel>
    void runFurtherModels(Results& results, const SettledOptions& settled,
                          const AnalysisOptions& analysis, RunModel runModel) {
        if (settled.furtherModels.empty()) return;
        for (const ModelChoice& model : settled.furtherModels) {
            AnalysisOptions options = analysis;
            options.model = model;
            results.otherModels.push_back(runModel(options));
        }
        results.comparison = compareRuns(results, results.otherModels);
    }

    // The caller's hooks for a further model: its progress as the first
    // model's, its engine's notes once; the sets' findings are the first
    // model's, already told.
    AnalysisHooks furtherHooks() {
        AnalysisHooks hooks = events_.hooks;
        hooks.substitutes = request_.substitutes;
        hooks.onSetRead = nullptr;
        hooks.onPlan = [this](const RunPlan& plan) {
            for (const Finding& f : engineFindings(plan)) foundOnce(f);
        };
        return hooks;
    }

    // What a run that succeeded wrote, for the caller to name.
    void wrote(const SettledOptions& settled, const std::optional<std::string>& report) {
        if (!request_.write) return;
        outcome_.resultsWritten = settled.resultsDir;
        outcome_.figuresWritten = settled.figuresDir;
        outcome_.reportWritten = report;
    }

    // The caller's hooks, with the run's own checks of the plan first and the
    // engine's notes after them.
    AnalysisHooks hooksWith(std::function<void(const RunPlan&)> check) {
        AnalysisHooks hooks = events_.hooks;
        hooks.substitutes = request_.substitutes;
        hooks.onPlan = [this, check = std::move(check)](const RunPlan& plan) {
            if (check) check(plan);
            found(engineFindings(plan));
            if (events_.hooks.onPlan) events_.hooks.onPlan(plan);
        };
        return hooks;
    }

    // What the outputs' transaction tells: leftovers of a killed run removed,
    // a stale lock taken over.
    OutputTransaction::Notes outputNote() {
        return [this](const std::string& text) {
            Finding f;
            f.code = FindingCode::OutputLeftovers;
            f.severity = Severity::Note;
            f.text = text;
            found(f);
        };
    }

    // The strict rule, the run's findings, then its files, the report and the
    // results folder as one: a refused run writes nothing.
    void finish(const Results& results, const SettledOptions& settled,
                std::optional<OutputTransaction>& outputs) {
        std::vector<Finding> findings = runFindings(results);
        for (const Results& other : results.otherModels) {
            for (Finding f : runFindings(other)) {
                const auto same = [&](const Finding& g) { return sameFinding(g, f); };
                if (given(f) || std::any_of(findings.begin(), findings.end(), same)) continue;
                f.text = "model " + other.modelName + ": " + f.text;
                findings.push_back(std::move(f));
            }
        }
        if (settled.strict) {
            for (const Finding& f : findings) {
                if (f.severity != Severity::DataMisfit) continue;
                Finding refusal = f;
                refusal.code = FindingCode::StrictRefusal;
                refusal.text = f.text + (settled.strictByFile
                                             ? " (an error under the analysis file's strict = true)"
                                             : " (an error under --strict)");
                throw InputError(std::move(refusal));
            }
        }
        found(findings);
        if (!outputs) return;
        try {
            outputs->commit(results, outputs->hasReport() ? composeReport(results) : "");
        } catch (const InputError& error) {
            Finding failed = error.finding();
            failed.code = FindingCode::OutputFailed;
            throw InputError(std::move(failed));
        }
    }

    const RunRequest& request_;
    const RunEvents& events_;
    RunOutcome& outcome_;
};

Finding failure(FindingCode code, std::string text) {
    Finding f;
    f.code = code;
    f.severity = Severity::Error;
    f.text = std::move(text);
    return f;
}

}  // namespace

RunOutcome runRequest(const RunRequest& request, const RunEvents& events) {
    RunOutcome outcome;
    Run run(request, events, outcome);
    const Route route = routeOf(request);
    try {
        switch (route) {
            case Route::Memory:
                outcome.results = run.memoryRun(*request.memory);
                break;
            case Route::AnalysisFile:
                outcome.results = run.analysisRun(*request.file);
                break;
            case Route::Card:
                outcome.results = run.cardRun(request.file.value_or(""));
                break;
        }
        return outcome;
    } catch (const BootstrapStopped&) {
        throw;
    } catch (const DetectedError& error) {
        Finding f = failure(error.code, error.consoleLine);
        f.consoleLine = error.consoleLine;
        if (route == Route::AnalysisFile) {
            // A file's run names the file; its status is that of every other
            // mistake in it.
            f.file = *request.file;
            f.text = oneLine(*request.file + ": " + error.reason());
            outcome.exitStatus = kExitFailure;
        } else {
            if (route == Route::Card) f.file = request.file.value_or("");
            outcome.exitStatus = kExitDetected;
        }
        outcome.findings.push_back(std::move(f));
    } catch (const InputError& error) {
        Finding f = error.finding();
        f.severity = Severity::Error;
        f.text = oneLine(error.what());
        outcome.findings.push_back(std::move(f));
        outcome.exitStatus = kExitFailure;
    } catch (const std::bad_alloc&) {
        outcome.findings.push_back(
            failure(FindingCode::OutOfMemory, "not enough memory for this run"));
        outcome.exitStatus = kExitFailure;
    } catch (const std::exception& error) {
        outcome.findings.push_back(failure(
            FindingCode::Internal, oneLine(std::string("internal error: ") + error.what())));
        outcome.exitStatus = kExitFailure;
    }
    outcome.results.reset();
    return outcome;
}

}  // namespace tl
