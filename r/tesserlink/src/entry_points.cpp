// The calls R makes: a run of scores held in R, a run of a control card or an
// analysis file, and the results folder of a run already made. A run returns
// what the library's run returned (see outcomeToR): R presents its findings
// and raises its error, without a C++ call in it. An analysis whose scores
// miss a set's points can instead return list(unmatched = ...) for R to name
// the rows and columns.
#include <Rcpp.h>

#include <charconv>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "card_from_r.h"
#include "core/edit_distance.h"
#include "core/errors.h"
#include "core/sweep_options.h"
#include "groups_from_r.h"
#include "results_files/results_directory.h"
#include "run/embedded.h"
#include "run/run.h"
#include "run_from_r.h"
#include "scale_to_r.h"

namespace {

using Rcpp::_;

// Ends an analysis of scores from R at the first set holding scores that equal
// none of its points, as soon as the set is read. It is R's own stop, not a
// failure of the run: the run lets it pass, as it lets every exception of a
// caller's callback that is not a std::exception.
struct UnmatchedStop {
    std::size_t set;
    tl::UnmatchedScores found;
};

template <typename Body>
SEXP guarded(Body body) {
    try {
        return body();
    } catch (const tl::BootstrapStopped&) {
        // Stopped by an interrupt: R gets the interrupt back, and no result.
        throw Rcpp::internal::InterruptedException();
    }
}

std::shared_ptr<tl::MemoryInput> memoryInput(const Rcpp::List& args) {
    auto input = std::make_shared<tl::MemoryInput>();
    tlr::MemoryJob job = tlr::jobFromR(Rcpp::List(args["sets"]), Rcpp::NumericVector(args["cuts"]),
                                       Rcpp::NumericVector(args["true_cuts"]),
                                       Rcpp::as<bool>(args["bias_correction"]));
    input->card = std::move(job.card);
    input->scores = std::move(job.scores);
    input->groups = tlr::groupsFromR(Rcpp::List(args["groups"]));
    input->labels.categoryLabels = Rcpp::as<std::vector<std::string>>(args["labels"]);
    const Rcpp::NumericVector rows(args["rows"]);
    for (const double row : rows) input->records.rows.push_back(static_cast<std::int64_t>(row));
    input->records.ids = Rcpp::as<std::vector<std::string>>(args["ids"]);
    input->scale = tlr::scaleFromR(args["scale_raw"], args["scale_values"]);
    const Rcpp::List sets(args["sets"]);
    for (R_xlen_t s = 0; s < sets.size(); ++s) {
        const Rcpp::List set(sets[s]);
        input->itemNames.push_back(Rcpp::as<std::vector<std::string>>(set["items"]));
        input->reversed.push_back(Rcpp::as<std::vector<bool>>(set["reversed"]));
    }
    return input;
}

}  // namespace

// `args`: the run's options (see requestFromR) and cac()'s checked arguments:
// `sets` (see jobFromR), `cuts`, `true_cuts`, `bias_correction`, `labels`
// (the category labels; empty: none), `rows` and `ids` (each kept examinee's
// row of the data and its ID; `ids` empty: no ID column), `groups` (see
// groupsFromR), `scale_raw` and `scale_values` (the conversion table; NULL:
// none), `stop_on_unmatched` and `progress`.
extern "C" SEXP tl_analyze(SEXP argList) {
    BEGIN_RCPP
    return guarded([&]() -> SEXP {
        const Rcpp::List args(argList);
        tl::RunRequest request = tlr::requestFromR(args);
        try {
            request.memory = memoryInput(args);
        } catch (const tl::DetectedError& error) {
            return tlr::outcomeToR(tl::refusedOutcome(error), false);
        }
        bool negative = false;
        tl::RunEvents events = tlr::eventsForR(args["progress"], negative);
        if (Rcpp::as<bool>(args["stop_on_unmatched"])) {
            events.hooks.onSetRead = [](std::size_t s, const tl::SetFindings& found) {
                if (found.unmatched.count > 0) throw UnmatchedStop{s, found.unmatched};
            };
        }
        try {
            return tlr::outcomeToR(tl::runRequest(request, events), negative);
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

// `args`: the run's options (see requestFromR), `path`, `card` (TRUE: a
// control card whatever its name, its files named beside it), `report` (a
// card's report in place of its output file, "" none; NULL: its own) and
// `progress`.
extern "C" SEXP tl_run_file(SEXP argList) {
    BEGIN_RCPP
    return guarded([&]() -> SEXP {
        const Rcpp::List args(argList);
        tl::RunRequest request = tlr::requestFromR(args);
        request.file = Rcpp::as<std::string>(args["path"]);
        const bool card = Rcpp::as<bool>(args["card"]);
        request.fileIsCard = card;
        request.namesBesideCard = card;
        if (!Rf_isNull(args["report"])) request.cardReport = Rcpp::as<std::string>(args["report"]);
        bool negative = false;
        const tl::RunEvents events = tlr::eventsForR(args["progress"], negative);
        return tlr::outcomeToR(tl::runRequest(request, events), negative);
    });
    END_RCPP
}

// Writes the results folder of a run made in this session: list(dir), or
// list(status, findings) as a run that failed, or list(gone = TRUE) for an
// object saved and read back.
extern "C" SEXP tl_write_results(SEXP native, SEXP dir) {
    BEGIN_RCPP
    const Rcpp::XPtr<tl::Results> results(native);
    if (results.get() == nullptr) return Rcpp::List::create(_["gone"] = true);
    const std::string folder = Rcpp::as<std::string>(dir);
    tl::RunOutcome failed;
    failed.exitStatus = tl::kExitFailure;
    try {
        tl::writeResultsDirectory(*results, folder);
        return Rcpp::List::create(_["dir"] = folder);
    } catch (const tl::InputError& error) {
        failed.findings.push_back(error.finding());
    } catch (const std::bad_alloc&) {
        tl::Finding& f = failed.findings.emplace_back();
        f.code = tl::FindingCode::OutOfMemory;
        f.text = "not enough memory for this run";
    }
    return tlr::outcomeToR(std::move(failed), false);
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

// The columns of `known` closest to `name`, the closest first: the library's
// hint for a column name it does not know.
extern "C" SEXP tl_closest_names(SEXP name, SEXP known) {
    const std::vector<std::string> names =
        tl::closestNames(Rcpp::as<std::string>(name), Rcpp::as<std::vector<std::string>>(known));
    return Rcpp::wrap(names);
}

// The smallest bootstrap the library runs, for R's messages that name it.
extern "C" SEXP tl_min_bootstrap() {
    return Rf_ScalarInteger(static_cast<int>(tl::kMinBootstrapReplicates));
}

// The sweep's settings by name, and why `value` cannot be the setting `name`
// ("" when it can), for R's check of its `sweep` argument.
extern "C" SEXP tl_sweep_names() {
    return Rcpp::wrap(tl::sweepSettingNames());
}

extern "C" SEXP tl_sweep_setting(SEXP name, SEXP value) {
    tl::SweepOptions options;
    return Rcpp::wrap(
        tl::setSweepSetting(options, Rcpp::as<std::string>(name), Rcpp::as<double>(value)));
}
