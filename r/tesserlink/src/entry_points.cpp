// The calls R makes: an analysis of scores held in R, and a run of a
// control card with its data files. Each returns either list(results = ...)
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

#include "analysis/analyze.h"
#include "card_from_r.h"
#include "core/errors.h"
#include "core/messages.h"
#include "input/control_card_reader.h"
#include "input/file_data_source.h"
#include "plan/card_checks.h"
#include "plan/score_ranges.h"
#include "platform/atomic_file.h"
#include "platform/text_file.h"
#include "results_to_r.h"
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

Rcpp::List success(const tl::Results& results, bool negativeFactorial) {
    Rcpp::List out = Rcpp::List::create(_["results"] = tlr::resultsToR(results));
    out.push_back(negativeFactorial, "negative_factorial");
    return out;
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

extern "C" SEXP tl_analyze(SEXP sets, SEXP cuts, SEXP trueCuts, SEXP biasCorrection, SEXP bootstrap,
                           SEXP seed, SEXP threads, SEXP stopOnUnmatched, SEXP progress) {
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
        try {
            const tl::Results results =
                tl::analyze(job.card, data, analysisOptions(bootstrap, seed, threads), hooks);
            return success(results, negative);
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
        Rcpp::List out = success(results, negative);
        out.push_back(writeReport ? Rcpp::wrap(located.outputFile) : R_NilValue, "report_file");
        Rcpp::CharacterVector labels;
        for (const tl::ItemSet& set : card.itemSets) labels.push_back(set.dataFile);
        out.push_back(labels, "set_labels");
        return out;
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
