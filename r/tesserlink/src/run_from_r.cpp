#include "run_from_r.h"

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "results_to_r.h"
#include "run/embedded.h"

namespace tlr {

using Rcpp::_;

namespace {

SEXP element(const Rcpp::List& args, const char* name) {
    return args.containsElementNamed(name) ? SEXP(args[name]) : R_NilValue;
}

std::optional<double> numberOf(const Rcpp::List& args, const char* name) {
    const SEXP x = element(args, name);
    if (Rf_isNull(x)) return std::nullopt;
    return Rcpp::as<double>(x);
}

std::optional<std::vector<double>> numbersOf(const Rcpp::List& args, const char* name) {
    const SEXP x = element(args, name);
    if (Rf_isNull(x)) return std::nullopt;
    return Rcpp::as<std::vector<double>>(x);
}

std::vector<std::string> textsOf(const Rcpp::List& args, const char* name) {
    const SEXP x = element(args, name);
    if (Rf_isNull(x)) return {};
    return Rcpp::as<std::vector<std::string>>(x);
}

std::optional<std::string> textOf(const Rcpp::List& args, const char* name) {
    const SEXP x = element(args, name);
    if (Rf_isNull(x)) return std::nullopt;
    return Rcpp::as<std::string>(x);
}

// Between bootstrap replicates, on R's own thread (the library calls it on the
// thread that called it, never on a worker): an interrupt (Ctrl-C, Esc) stops
// the bootstrap, and `report` is told the count when the bootstrap starts and
// then every two seconds.
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

Rcpp::CharacterVector texts(const std::vector<std::string>& lines) {
    return Rcpp::CharacterVector(lines.begin(), lines.end());
}

// A finding as R holds it: its code, severity and text, and each value it
// names that is not empty.
Rcpp::List findingToR(const tl::Finding& f) {
    Rcpp::List out = Rcpp::List::create(_["code"] = std::string(tl::findingCodeName(f.code)),
                                        _["severity"] = std::string(tl::severityName(f.severity)),
                                        _["text"] = f.text);
    const std::pair<const char*, const std::string*> values[] = {
        {"file", &f.file},   {"column", &f.column},   {"key", &f.key},
        {"value", &f.value}, {"closest", &f.closest}, {"console_line", &f.consoleLine}};
    for (const auto& [name, value] : values) {
        if (!value->empty()) out.push_back(*value, name);
    }
    if (f.line > 0) out.push_back(static_cast<double>(f.line), "line");
    return out;
}

SEXP written(const std::optional<std::string>& name) {
    return name ? Rcpp::wrap(*name) : R_NilValue;
}

}  // namespace

tl::RunRequest requestFromR(const Rcpp::List& args) {
    tl::RunRequest request;
    if (const auto b = numberOf(args, "bootstrap")) {
        request.bootstrap = static_cast<std::int64_t>(*b);
    }
    if (const auto s = numberOf(args, "seed")) request.seed = static_cast<std::uint64_t>(*s);
    request.threads = static_cast<unsigned>(Rcpp::as<double>(element(args, "threads")));
    request.strict = Rcpp::as<bool>(element(args, "strict"));
    request.scaleFile = textOf(args, "scale");
    if (const auto on = textOf(args, "cuts_on")) request.cutsOnScale = *on == "scale";
    request.resultsDir = textOf(args, "results");
    // A file's cuts given over (cac() gives its cuts with its card).
    request.cuts = numbersOf(args, "given_cuts");
    request.trueCuts = numbersOf(args, "given_true_cuts");
    request.write = Rcpp::as<bool>(element(args, "write"));
    request.tables = true;
    // The names are R's checked choices; the run pairs the methods with the
    // models and decides the rest.
    for (const std::string& m : textsOf(args, "model"))
        request.models.push_back(*tl::modelKindNamed(m));
    for (const std::string& m : textsOf(args, "method"))
        request.methods.push_back(*tl::modelMethodNamed(m));
    request.items = textOf(args, "items");
    // The sweep's settings are checked by R against the library's rule
    // (tl_sweep_setting) before the run.
    const SEXP sweep = element(args, "sweep");
    if (!Rf_isNull(sweep)) {
        tl::SweepOptions& options = request.sweep.emplace();
        const Rcpp::List settings(sweep);
        if (settings.size() > 0) {
            const Rcpp::CharacterVector names = settings.names();
            for (R_xlen_t i = 0; i < settings.size(); ++i)
                tl::setSweepSetting(options, Rcpp::as<std::string>(names[i]),
                                    Rcpp::as<double>(settings[i]));
        }
    }
    const SEXP fit = element(args, "fit");
    if (!Rf_isNull(fit)) request.fit = Rcpp::as<bool>(fit);
    return request;
}

tl::RunEvents eventsForR(SEXP progress, bool& negativeFactorial) {
    tl::RunEvents events;
    events.hooks.onNegativeFactorial = [&negativeFactorial] { negativeFactorial = true; };
    events.hooks.onBootstrapProgress = BootstrapWatch(progress);
    return events;
}

Rcpp::List outcomeToR(tl::RunOutcome outcome, bool negativeFactorial) {
    if (negativeFactorial) tl::addNegativeFactorialNote(outcome);
    Rcpp::List findings;
    for (const tl::Finding& f : outcome.findings) findings.push_back(findingToR(f));
    Rcpp::List out = Rcpp::List::create(_["status"] = outcome.exitStatus, _["findings"] = findings);
    if (!outcome.results) return out;
    tl::Results& results = *outcome.results;
    out.push_back(resultsToR(results), "results");
    out.push_back(Rcpp::wrap(tl::setLabels(results)), "set_labels");
    out.push_back(Rcpp::NumericVector(results.records.rows.begin(), results.records.rows.end()),
                  "rows");
    out.push_back(texts(results.records.ids), "ids");
    out.push_back(texts(results.labels.categoryLabels), "category_labels");
    out.push_back(results.labels.title, "title");
    out.push_back(written(outcome.reportWritten), "report_file");
    out.push_back(written(outcome.resultsWritten), "results_dir");
    // The run itself, so that write_results() writes its folder from the
    // very same Results.
    const Rcpp::XPtr<tl::Results> native(new tl::Results(std::move(results)), true);
    out.push_back(native, "native");
    // Each further model of a comparison as its own run, held within the
    // primary's (which its pointer keeps alive).
    Rcpp::List models;
    for (tl::Results& other : native->otherModels) {
        models.push_back(Rcpp::List::create(_["results"] = resultsToR(other),
                                            _["native"] = Rcpp::XPtr<tl::Results>(
                                                &other, false, R_NilValue, native)),
                         other.modelName);
    }
    if (models.size() > 0) out.push_back(models, "models");
    return out;
}

}  // namespace tlr
