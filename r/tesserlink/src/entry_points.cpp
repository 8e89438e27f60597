// The calls R makes: an analysis of scores held in R, a run of a control card
// with its data files, a run of an analysis file, and the results folder of a
// run already made. Each returns either list(results = ...)
// or list(error = list(line = , kind = , ...)), so that R raises its own
// condition, worded for R, without a C++ call in it; an analysis whose scores
// miss the set's points can instead return list(unmatched = ...) for R to name
// the rows and columns.
#include <Rcpp.h>

#include <charconv>
#include <chrono>
#include <filesystem>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis_file_run.h"
#include "analysis/analyze.h"
#include "card_from_r.h"
#include "core/errors.h"
#include "core/messages.h"
#include "groups_from_r.h"
#include "input/control_card_reader.h"
#include "input/file_data_source.h"
#include "plan/card_checks.h"
#include "plan/run_paths.h"
#include "plan/score_ranges.h"
#include "platform/atomic_file.h"
#include "platform/text_file.h"
#include "results_files/results_directory.h"
#include "results_files/results_transaction.h"
#include "results_to_r.h"
#include "scale_to_r.h"
#include "text_report/report_writer.h"

namespace {

using Rcpp::_;

tl::AnalysisOptions analysisOptions(SEXP bootstrap, SEXP seed, SEXP threads) {
    tl::AnalysisOptions options;
    options.tables = true;
    options.threads = static_cast<unsigned>(Rcpp::as<double>(threads));
    options.bootstrapReplicates = static_cast<std::int64_t>(Rcpp::as<double>(bootstrap));
    options.seed = static_cast<std::uint64_t>(Rcpp::as<double>(seed));
    return options;
}

// Between bootstrap replicates, on R's own thread (the library calls it on the
// thread that called it, never on a worker): an interrupt (Ctrl-C, Esc) stops
// the bootstrap, and `report` (an R function of done and total, or NULL) is
// told the count when the bootstrap starts and then every two seconds.
class BootstrapWatch {
  public:
    explicit BootstrapWatch(SEXP report) : report_(report) {}

    tl::BootstrapStep operator()(std::int64_t done, std::int64_t total) {
        try {
            Rcpp::checkUserInterrupt();
        } catch (const Rcpp::internal::InterruptedException&) {
            return tl::BootstrapStep::Stop;
        }
        const auto now = std::chrono::steady_clock::now();
        if (!Rf_isNull(report_) && (done == 0 || now >= next_)) {
            next_ = now + std::chrono::seconds(2);
            const Rcpp::Function report(report_);
            report(static_cast<double>(done), static_cast<double>(total));
        }
        return tl::BootstrapStep::Continue;
    }

  private:
    SEXP report_;
    std::chrono::steady_clock::time_point next_{};
};

// R is called only between bootstrap replicates; R warns afterwards.
tl::AnalysisHooks analysisHooks(bool& negative, SEXP progress) {
    tl::AnalysisHooks hooks;
    hooks.onNegativeFactorial = [&negative] { negative = true; };
    hooks.onBootstrapProgress = BootstrapWatch(progress);
    return hooks;
}

// The run's numbers for R, and the run itself behind an external pointer, so
// that write_results() writes its folder from the very same Results.
Rcpp::List success(tl::Results results, bool negativeFactorial) {
    Rcpp::List out = Rcpp::List::create(_["results"] = tlr::resultsToR(results));
    out.push_back(negativeFactorial, "negative_factorial");
    out.push_back(Rcpp::XPtr<tl::Results>(new tl::Results(std::move(results)), true), "native");
    return out;
}

Rcpp::CharacterVector texts(const std::vector<std::string>& lines) {
    return Rcpp::CharacterVector(lines.begin(), lines.end());
}

// `kind`: "refusal" for the console lines of the errors a run detects,
// "input" for malformed data and files, "memory" or "internal" otherwise.
Rcpp::List failure(const std::string& line, const char* kind, Rcpp::List context = Rcpp::List()) {
    context.push_back(line, "line");
    context.push_back(kind, "kind");
    return Rcpp::List::create(_["error"] = context);
}

// The composite scale's ends, for R to name in a refusal of the cut scores;
// NULL when the card gives no scale.
SEXP compositeRange(const tl::ControlCard& card) {
    try {
        const tl::CompositeScale scale = tl::deriveScoreScales(card).composite;
        return Rcpp::NumericVector::create(scale.minComposite, scale.maxComposite);
    } catch (const tl::DetectedError&) {
        return R_NilValue;
    }
}

// A refusal of the card itself, carrying the composite range for R to name.
Rcpp::List cardRefusal(const tl::DetectedError& error, const tl::ControlCard& card) {
    return failure(error.consoleLine, "refusal",
                   Rcpp::List::create(_["composite_range"] = compositeRange(card)));
}

template <typename Body>
SEXP guarded(Body body) {
    try {
        return body();
    } catch (const tl::BootstrapStopped&) {
        // Stopped by an interrupt: R gets the interrupt back, and no result.
        throw Rcpp::internal::InterruptedException();
    } catch (const tl::DetectedError& error) {
        return failure(error.consoleLine, "refusal");
    } catch (const tl::InputError& error) {
        return failure(error.what(), "input");
    } catch (const std::bad_alloc&) {
        return failure("not enough memory for this run", "memory");
    } catch (const std::exception& error) {
        return failure(error.what(), "internal");
    }
}

// Ends an analysis of scores from R at the first set holding scores that equal
// none of its points, as soon as the set is read.
struct UnmatchedStop {
    std::size_t set;
    tl::UnmatchedScores found;
};

// A name in the card that is not absolute is taken relative to the card's folder.
std::string besideCard(const std::string& name, const std::filesystem::path& folder) {
    const std::filesystem::path path(name);
    if (name.empty() || path.is_absolute() || folder.empty()) return name;
    return (folder / path).string();
}

}  // namespace

// `labels`: the category labels (empty: none); `rows` and `ids`: each kept
// examinee's row of the data and its ID (`ids` empty: no ID column); `groups`:
// the grouping columns (see groupsFromR; an empty list: none); `scaleRaw` and
// `scaleValues`: the conversion table (NULL: none).
extern "C" SEXP tl_analyze(SEXP sets, SEXP cuts, SEXP trueCuts, SEXP biasCorrection, SEXP bootstrap,
                           SEXP seed, SEXP threads, SEXP stopOnUnmatched, SEXP labels, SEXP rows,
                           SEXP ids, SEXP progress, SEXP groups, SEXP scaleRaw, SEXP scaleValues,
                           SEXP cutsOnScale) {
    BEGIN_RCPP
    return guarded([&]() -> SEXP {
        const tlr::MemoryJob job =
            tlr::jobFromR(Rcpp::List(sets), Rcpp::NumericVector(cuts),
                          Rcpp::NumericVector(trueCuts), Rcpp::as<bool>(biasCorrection));
        bool negative = false;
        bool planned = false;
        tl::AnalysisHooks hooks = analysisHooks(negative, progress);
        hooks.onPlan = [&planned](const tl::RunPlan&) { planned = true; };
        if (Rcpp::as<bool>(stopOnUnmatched)) {
            hooks.onSetRead = [](std::size_t s, const tl::SetFindings& found) {
                if (found.unmatched.count > 0) throw UnmatchedStop{s, found.unmatched};
            };
        }
        tl::MemoryDataSource data(job.scores);
        data.setGroups(tlr::groupsFromR(Rcpp::List(groups)));
        tl::AnalysisOptions options = analysisOptions(bootstrap, seed, threads);
        options.scale = tlr::scaleFromR(scaleRaw, scaleValues, cutsOnScale);
        try {
            tl::Results results = tl::analyze(job.card, data, options, hooks);
            results.labels.categoryLabels = Rcpp::as<std::vector<std::string>>(labels);
            const Rcpp::NumericVector kept(rows);
            for (const double row : kept)
                results.records.rows.push_back(static_cast<std::int64_t>(row));
            results.records.ids = Rcpp::as<std::vector<std::string>>(ids);
            return success(std::move(results), negative);
        } catch (const tl::DetectedError& error) {
            if (planned) throw;
            return cardRefusal(error, job.card);
        } catch (const UnmatchedStop& stop) {
            const tl::UnmatchedScores& u = stop.found;
            return Rcpp::List::create(_["unmatched"] = Rcpp::List::create(
                                          _["set"] = static_cast<int>(stop.set + 1),
                                          _["count"] = static_cast<double>(u.count),
                                          _["examinees"] = u.examinees,
                                          _["record"] = static_cast<double>(u.firstRecord),
                                          _["item"] = u.firstItem, _["value"] = u.firstValue));
        }
    });
    END_RCPP
}

// `report`: "" writes the card's own output file, NA writes none, any other
// text is the report's path.
extern "C" SEXP tl_run_card(SEXP path, SEXP report, SEXP bootstrap, SEXP seed, SEXP threads,
                            SEXP progress) {
    BEGIN_RCPP
    return guarded([&]() -> SEXP {
        const std::string cardFile = Rcpp::as<std::string>(path);
        const std::optional<std::string> text = tl::readTextFile(cardFile);
        if (!text) throw tl::DetectedError{tl::messages::missingFile(cardFile)};
        const tl::ControlCard card = tl::readControlCard(*text, cardFile);

        // The card keeps its names for the report's echo; the files are
        // opened beside the card.
        const std::filesystem::path folder = std::filesystem::path(cardFile).parent_path();
        tl::ControlCard located = card;
        for (tl::ItemSet& set : located.itemSets) set.dataFile = besideCard(set.dataFile, folder);
        located.outputFile = besideCard(card.outputFile, folder);
        const Rcpp::CharacterVector reportArg(report);
        const bool writeReport = !Rcpp::CharacterVector::is_na(reportArg[0]);
        const std::string asked = writeReport ? Rcpp::as<std::string>(reportArg[0]) : "";
        if (!asked.empty()) located.outputFile = asked;

        bool negative = false;
        tl::AnalysisHooks hooks = analysisHooks(negative, progress);
        // A refusal while planning is the card's; one of the output, or of the
        // data once the plan holds, is named so.
        enum class Stage { Planning, Output, Data } stage = Stage::Planning;
        hooks.onPlan = [&](const tl::RunPlan&) {
            stage = Stage::Output;
            if (writeReport) tl::refuseUnsafeOutput(located, cardFile);
            stage = Stage::Data;
        };
        tl::FileDataSource data(located);
        tl::Results results;
        try {
            results = tl::analyze(card, data, analysisOptions(bootstrap, seed, threads), hooks);
        } catch (const tl::DetectedError& error) {
            if (stage == Stage::Planning) return cardRefusal(error, card);
            if (stage == Stage::Output) throw;
            // Which data file is missing, for R to name.
            Rcpp::CharacterVector files;
            for (const tl::ItemSet& set : located.itemSets) files.push_back(set.dataFile);
            return failure(error.consoleLine, "refusal",
                           Rcpp::List::create(_["data_files"] = files));
        }
        if (writeReport) tl::writeFileAtomically(located.outputFile, tl::composeReport(results));
        Rcpp::CharacterVector labels;
        for (const tl::ItemSet& set : card.itemSets) labels.push_back(set.dataFile);
        Rcpp::List out = success(std::move(results), negative);
        out.push_back(writeReport ? Rcpp::wrap(located.outputFile) : R_NilValue, "report_file");
        out.push_back(labels, "set_labels");
        return out;
    });
    END_RCPP
}

// `bootstrap` and `seed`: NA takes the file's [options] (the command line's
// defaults without them); `write`: the report and results folder the file's
// [output] names are written.
extern "C" SEXP tl_run_analysis(SEXP path, SEXP bootstrap, SEXP seed, SEXP threads, SEXP write) {
    BEGIN_RCPP
    std::vector<std::string> warnings;
    std::vector<std::string> notes;
    const std::string file = Rcpp::as<std::string>(path);
    try {
        tl::AnalysisFile read = tl::readAnalysisFileAt(file);
        const double replicates = Rcpp::as<double>(bootstrap);
        const double seedGiven = Rcpp::as<double>(seed);
        bool negative = false;
        const tl::AnalysisHooks hooks = analysisHooks(negative, R_NilValue);
        tl::AnalysisOptions options = analysisOptions(
            Rcpp::wrap(R_IsNA(replicates) ? static_cast<double>(read.bootstrap.value_or(0))
                                          : replicates),
            Rcpp::wrap(R_IsNA(seedGiven) ? static_cast<double>(read.seed.value_or(1)) : seedGiven),
            threads);
        if (read.engine) options.engine = tl::engineNamed(*read.engine).value_or(tl::Engine::Auto);
        const bool strict = read.strict;
        const auto warn = [&warnings](const std::string& text) { warnings.push_back(text); };
        const auto note = [&notes](const std::string& text) { notes.push_back(text); };
        const tl::PreparedAnalysis prepared = tl::prepareAnalysis(std::move(read), warn);
        tl::Results results = tl::analyzePrepared(prepared, options, warn, note, hooks);
        const tl::AnalysisFile& analysis = prepared.file;
        const bool writing = Rcpp::as<bool>(write);
        if (writing && (analysis.resultsDir || analysis.reportPath)) {
            tl::refuseCollidingPaths(
                tl::analysisRunPaths(analysis, std::nullopt, analysis.resultsDir));
            tl::OutputTransaction outputs(analysis.reportPath, analysis.resultsDir, note);
            outputs.commit(results, analysis.reportPath ? tl::composeReport(results) : "");
        }

        Rcpp::CharacterVector sets;
        for (std::size_t s = 0; s < analysis.card.itemSets.size(); ++s) {
            const std::vector<std::string>& names = analysis.labels.setNames;
            if (s < names.size() && !names[s].empty()) {
                sets.push_back(names[s]);
            } else if (!analysis.table) {
                sets.push_back(analysis.card.itemSets[s].dataFile);
            } else {
                sets.push_back("set " + std::to_string(s + 1));
            }
        }
        Rcpp::NumericVector rows(results.records.rows.begin(), results.records.rows.end());
        const Rcpp::CharacterVector ids = texts(results.records.ids);
        const Rcpp::CharacterVector categories = texts(analysis.labels.categoryLabels);
        const std::string title = analysis.labels.title;
        Rcpp::List out = success(std::move(results), negative);
        out.push_back(sets, "set_labels");
        out.push_back(rows, "rows");
        out.push_back(ids, "ids");
        out.push_back(categories, "category_labels");
        out.push_back(title, "title");
        out.push_back(strict, "strict");
        out.push_back(texts(warnings), "warnings");
        out.push_back(texts(notes), "notes");
        out.push_back(
            writing && analysis.reportPath ? Rcpp::wrap(*analysis.reportPath) : R_NilValue,
            "report_file");
        out.push_back(
            writing && analysis.resultsDir ? Rcpp::wrap(*analysis.resultsDir) : R_NilValue,
            "results_dir");
        return out;
    } catch (const tl::BootstrapStopped&) {
        // Stopped by an interrupt: R gets the interrupt back, and no result.
        throw Rcpp::internal::InterruptedException();
    } catch (const tl::DetectedError& error) {
        // What the run detects, named by the analysis file as the program does.
        Rcpp::List context = Rcpp::List::create(_["warnings"] = texts(warnings));
        return failure(file + ": " + error.reason(), "input", context);
    } catch (const tl::InputError& error) {
        return failure(error.what(), "input", Rcpp::List::create(_["warnings"] = texts(warnings)));
    } catch (const std::bad_alloc&) {
        return failure("not enough memory for this run", "memory");
    } catch (const std::exception& error) {
        return failure(error.what(), "internal");
    }
    END_RCPP
}

// Writes the results folder of a run made in this session.
extern "C" SEXP tl_write_results(SEXP native, SEXP dir) {
    BEGIN_RCPP
    return guarded([&]() -> SEXP {
        const Rcpp::XPtr<tl::Results> results(native);
        if (results.get() == nullptr) {
            return failure("the run's results are gone (the object was saved and read back)",
                           "gone");
        }
        const std::string folder = Rcpp::as<std::string>(dir);
        tl::writeResultsDirectory(*results, folder);
        return Rcpp::List::create(_["dir"] = folder);
    });
    END_RCPP
}

// Decimal texts read back as the doubles they were written from: the results
// files write each number in its shortest round-trip form, and from_chars reads
// it with correct rounding, so a test can compare bits.
extern "C" SEXP tl_parse_doubles(SEXP texts) {
    const Rcpp::CharacterVector in(texts);
    Rcpp::NumericVector out(in.size());
    for (R_xlen_t i = 0; i < in.size(); ++i) {
        const std::string text = Rcpp::as<std::string>(in[i]);
        double value = NA_REAL;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        out[i] = error == std::errc() && end == text.data() + text.size() ? value : NA_REAL;
    }
    return out;
}

// The smallest bootstrap the library runs, for R's own argument check.
extern "C" SEXP tl_min_bootstrap() {
    return Rf_ScalarInteger(static_cast<int>(tl::kMinBootstrapReplicates));
}
