// The calls R makes: an analysis of scores held in R, and a run of a
// control card with its data files. Each returns either list(results = ...)
// or list(error = "line"), so that R raises its own error without a C++ call
// in it; an analysis whose scores miss the set's points can instead return
// list(unmatched = ...) for R to name the rows and columns.
#include <Rcpp.h>

#include <charconv>
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

// No R call may be made while the library runs; R warns afterwards.
tl::AnalysisHooks analysisHooks(bool& negative) {
    tl::AnalysisHooks hooks;
    hooks.onNegativeFactorial = [&negative] { negative = true; };
    return hooks;
}

// Thrown by a plan hook to end a run before it reads any data.
struct StopBeforeData {};

Rcpp::List success(const tl::Results& results, bool negativeFactorial) {
    Rcpp::List out = Rcpp::List::create(_["results"] = tlr::resultsToR(results));
    out.push_back(negativeFactorial, "negative_factorial");
    return out;
}

Rcpp::List failure(const std::string& line) {
    return Rcpp::List::create(_["error"] = line);
}

template <typename Body>
SEXP guarded(Body body) {
    try {
        return body();
    } catch (const tl::DetectedError& error) {
        return failure(error.consoleLine);
    } catch (const tl::InputError& error) {
        return failure(error.what());
    } catch (const std::bad_alloc&) {
        return failure("not enough memory for this run");
    } catch (const std::exception& error) {
        return failure(error.what());
    }
}

// A name in the card that is not absolute is taken relative to the card's folder.
std::string besideCard(const std::string& name, const std::filesystem::path& folder) {
    const std::filesystem::path path(name);
    if (name.empty() || path.is_absolute() || folder.empty()) return name;
    return (folder / path).string();
}

}  // namespace

extern "C" SEXP tl_analyze(SEXP sets, SEXP cuts, SEXP trueCuts, SEXP biasCorrection, SEXP bootstrap,
                           SEXP seed, SEXP threads, SEXP stopOnUnmatched) {
    BEGIN_RCPP
    return guarded([&]() -> SEXP {
        const tlr::MemoryJob job =
            tlr::jobFromR(Rcpp::List(sets), Rcpp::NumericVector(cuts),
                          Rcpp::NumericVector(trueCuts), Rcpp::as<bool>(biasCorrection));
        // Scores that match no point stop the run once the card has passed
        // its checks, before the analysis reads the scores.
        const bool stop = Rcpp::as<bool>(stopOnUnmatched);
        std::vector<tl::UnmatchedScores> found;
        std::size_t first = 0;
        bool negative = false;
        tl::AnalysisHooks hooks = analysisHooks(negative);
        hooks.onPlan = [&](const tl::RunPlan&) {
            if (!stop) return;
            found = tlr::findUnmatched(job);
            while (first < found.size() && found[first].count == 0) ++first;
            if (first < found.size()) throw StopBeforeData{};
        };
        tl::MemoryDataSource data(job.scores);
        std::optional<tl::Results> results;
        try {
            results = tl::analyze(job.card, data, analysisOptions(bootstrap, seed, threads), hooks);
        } catch (const StopBeforeData&) {
            const tl::UnmatchedScores& u = found[first];
            return Rcpp::List::create(_["unmatched"] = Rcpp::List::create(
                                          _["set"] = static_cast<int>(first + 1),
                                          _["count"] = static_cast<double>(u.count),
                                          _["examinees"] = u.examinees,
                                          _["record"] = static_cast<double>(u.firstRecord),
                                          _["item"] = u.firstItem, _["value"] = u.firstValue));
        }
        return success(*results, negative);
    });
    END_RCPP
}

// `report`: "" writes the card's own output file, NA writes none, any other
// text is the report's path.
extern "C" SEXP tl_run_card(SEXP path, SEXP report, SEXP bootstrap, SEXP seed, SEXP threads) {
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
        tl::AnalysisHooks hooks = analysisHooks(negative);
        hooks.onPlan = [&](const tl::RunPlan&) {
            if (writeReport) tl::refuseUnsafeOutput(located, cardFile);
        };
        tl::FileDataSource data(located);
        const tl::Results results =
            tl::analyze(card, data, analysisOptions(bootstrap, seed, threads), hooks);
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
