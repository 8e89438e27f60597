// tesserlink._native: the library's one run for the Python package. A run
// returns what runRequest returned (see outcomeToPython); the package presents
// its findings and raises its error. The Results stay here, as the object
// "Run", for the results.json text, the results folder and the page's table.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <chrono>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/bootstrap.h"
#include "comparison.h"
#include "core/analysis_options.h"
#include "core/edit_distance.h"
#include "core/errors.h"
#include "core/sweep_options.h"
#include "examinees.h"
#include "findings.h"
#include "memory_input.h"
#include "results_files/results_directory.h"
#include "results_files/results_html.h"
#include "results_files/results_json.h"
#include "run/embedded.h"
#include "run/run.h"

namespace py = pybind11;

namespace {

// Ends a run of scores from Python at the first set holding scores that equal
// none of its points, as soon as the set is read: the package's own stop,
// which names the row and column. Not a std::exception, so the run lets it
// pass as it lets a caller's own stop pass.
struct UnmatchedStop {
    std::size_t set;
    tl::UnmatchedScores found;
};

// Between bootstrap replicates, on the calling thread: Ctrl-C stops the
// bootstrap, and `report` is told the count when the bootstrap starts, every
// half second and at its end. An exception of `report` stops it too, and is
// raised once the run is back.
class BootstrapWatch {
  public:
    // The run copies its hooks on a thread that may not hold the GIL: the
    // callback is shared, never copied as a Python object there.
    BootstrapWatch(std::shared_ptr<py::object> report,
                   std::shared_ptr<std::optional<py::error_already_set>> raised)
        : report_(std::move(report)), raised_(std::move(raised)) {}

    tl::BootstrapStep operator()(std::int64_t done, std::int64_t total) {
        const py::gil_scoped_acquire gil;
        if (PyErr_CheckSignals() != 0) {
            raised_->emplace();
            return tl::BootstrapStep::Stop;
        }
        const auto now = std::chrono::steady_clock::now();
        if (!report_->is_none() && (done == 0 || done == total || now >= next_)) {
            next_ = now + std::chrono::milliseconds(500);
            try {
                (*report_)(done, total);
            } catch (py::error_already_set& error) {
                raised_->emplace(std::move(error));
                return tl::BootstrapStep::Stop;
            }
        }
        return tl::BootstrapStep::Continue;
    }

  private:
    std::shared_ptr<py::object> report_;
    std::shared_ptr<std::optional<py::error_already_set>> raised_;
    std::chrono::steady_clock::time_point next_{};
};

template <typename T>
std::optional<T> optionOf(const py::dict& args, const char* name) {
    if (!args.contains(name) || args[name].is_none()) return std::nullopt;
    return args[name].cast<T>();
}

// `args`: bootstrap, seed, threads, strict, scale (a conversion table's file),
// cuts_on ("raw" or "scale"), results (a folder), write, model and method
// (lists of names),
// items (the item-parameter table's file), sweep (a dict of its settings) and
// fit; each may be None.
tl::RunRequest requestOf(const py::dict& args) {
    tl::RunRequest request;
    request.bootstrap = optionOf<std::int64_t>(args, "bootstrap");
    request.seed = optionOf<std::uint64_t>(args, "seed");
    request.threads = optionOf<unsigned>(args, "threads").value_or(0);
    request.strict = optionOf<bool>(args, "strict").value_or(false);
    request.scaleFile = optionOf<std::string>(args, "scale");
    if (const auto on = optionOf<std::string>(args, "cuts_on"))
        request.cutsOnScale = *on == "scale";
    request.resultsDir = optionOf<std::string>(args, "results");
    request.write = optionOf<bool>(args, "write").value_or(false);
    request.tables = true;
    // The names are the package's checked choices; the run pairs the methods
    // with the models and decides the rest.
    using Names = std::vector<std::string>;
    for (const std::string& m : optionOf<Names>(args, "model").value_or(Names{}))
        request.models.push_back(*tl::modelKindNamed(m));
    for (const std::string& m : optionOf<Names>(args, "method").value_or(Names{}))
        request.methods.push_back(*tl::modelMethodNamed(m));
    request.items = optionOf<std::string>(args, "items");
    request.cuts = optionOf<std::vector<double>>(args, "override_cuts");
    request.trueCuts = optionOf<std::vector<double>>(args, "override_true_cuts");
    // The sweep's settings, checked by the package against the library's rule
    // (sweep_setting_problem) before the run; an empty dict asks for the sweep.
    if (const auto sweep = optionOf<py::dict>(args, "sweep")) {
        tl::SweepOptions& options = request.sweep.emplace();
        for (const auto& [name, value] : *sweep)
            tl::setSweepSetting(options, name.cast<std::string>(), value.cast<double>());
    }
    request.fit = optionOf<bool>(args, "fit");
    return request;
}

// runRequest with the GIL released; an interrupt or an exception of the
// progress callback is raised here.
py::dict runWith(const tl::RunRequest& request, tl::RunEvents events, const py::object& progress) {
    bool negative = false;
    auto raised = std::make_shared<std::optional<py::error_already_set>>();
    events.hooks.onNegativeFactorial = [&negative] { negative = true; };
    events.hooks.onBootstrapProgress =
        BootstrapWatch(std::make_shared<py::object>(progress), raised);
    std::optional<tl::RunOutcome> outcome;
    try {
        const py::gil_scoped_release release;
        outcome = tl::runRequest(request, events);
    } catch (const tl::BootstrapStopped&) {
        if (*raised) throw std::move(**raised);
        PyErr_SetNone(PyExc_KeyboardInterrupt);
        throw py::error_already_set();
    }
    return tlpy::outcomeToPython(std::move(*outcome), negative);
}

py::dict runMemory(const py::dict& args, const py::object& progress, bool stopOnUnmatched) {
    tl::RunRequest request = requestOf(args);
    try {
        request.memory = tlpy::memoryInputFromPython(args);
    } catch (const tl::DetectedError& error) {
        return tlpy::outcomeToPython(tl::refusedOutcome(error), false);
    }
    tl::RunEvents events;
    if (stopOnUnmatched) {
        events.hooks.onSetRead = [](std::size_t s, const tl::SetFindings& found) {
            if (found.unmatched.count > 0) throw UnmatchedStop{s, found.unmatched};
        };
    }
    try {
        return runWith(request, std::move(events), progress);
    } catch (const UnmatchedStop& stop) {
        const tl::UnmatchedScores& u = stop.found;
        py::dict unmatched;
        unmatched["set"] = stop.set;
        unmatched["count"] = u.count;
        unmatched["examinees"] = u.examinees;
        unmatched["record"] = u.firstRecord;
        unmatched["item"] = u.firstItem;
        unmatched["value"] = u.firstValue;
        py::dict out;
        out["unmatched"] = unmatched;
        return out;
    }
}

// `args` as requestOf's, and `path`, `card` (True: a control card whatever its
// name) and `report` (a card's report in place of its output file, "" none;
// None: its own).
py::dict runFile(const py::dict& args, const py::object& progress) {
    tl::RunRequest request = requestOf(args);
    request.file = args["path"].cast<std::string>();
    const bool card = args["card"].cast<bool>();
    request.fileIsCard = card;
    request.namesBesideCard = card;
    request.cardReport = optionOf<std::string>(args, "report");
    return runWith(request, {}, progress);
}

// Writes the results folder of a run: None, or the finding of its failure.
py::object writeResults(const tl::Results& results, const std::string& dir) {
    tl::Finding failed;
    try {
        tl::writeResultsDirectory(results, dir);
        return py::none();
    } catch (const tl::InputError& error) {
        failed = error.finding();
        failed.severity = tl::Severity::Error;
        failed.text = error.what();
    } catch (const std::bad_alloc&) {
        failed.code = tl::FindingCode::OutOfMemory;
        failed.text = "not enough memory for this run";
    }
    return tlpy::findingToPython(failed);
}

}  // namespace

PYBIND11_MODULE(_native, m) {
    m.doc() = "The TESSERLINK library's run, for the tesserlink package.";
    py::class_<tl::Results, std::shared_ptr<tl::Results>>(m, "Run")
        .def("json", &tl::composeResultsJson)
        .def("indices_html", &tl::composeIndicesHtml)
        .def("examinees", &tlpy::examineeColumns)
        .def("write", &writeResults)
        .def("set_labels", &tl::setLabels)
        .def_property_readonly("rows", [](const tl::Results& r) { return r.records.rows; })
        .def_property_readonly("ids", [](const tl::Results& r) { return r.records.ids; })
        .def_property_readonly("title", [](const tl::Results& r) { return r.labels.title; })
        .def("comparison", &tlpy::comparisonColumns, py::arg("differences"))
        // Each further model of a comparison as a run of its own, held within
        // this one.
        .def_property_readonly("other_models",
                               [](const std::shared_ptr<tl::Results>& self) {
                                   py::list out;
                                   for (tl::Results& other : self->otherModels)
                                       out.append(std::shared_ptr<tl::Results>(self, &other));
                                   return out;
                               })
        .def_property_readonly("model_name", [](const tl::Results& r) { return r.modelName; })
        .def_property_readonly("category_labels",
                               [](const tl::Results& r) { return r.labels.categoryLabels; })
        .def_property_readonly("unmatched", [](const tl::Results& r) {
            py::list out;
            for (const tl::SetFindings& f : r.findings)
                out.append(py::make_tuple(f.unmatched.count, f.unmatched.examinees));
            return out;
        });
    m.def("run_memory", &runMemory, py::arg("args"), py::arg("progress"),
          py::arg("stop_on_unmatched"));
    m.def("run_file", &runFile, py::arg("args"), py::arg("progress"));
    m.def("closest_names", [](const std::string& name, const std::vector<std::string>& known) {
        return tl::closestNames(name, known);
    });
    m.def("sweep_setting_names", &tl::sweepSettingNames);
    m.def("sweep_setting_problem", [](const std::string& name, double value) {
        tl::SweepOptions options;
        return tl::setSweepSetting(options, name, value);
    });
    m.attr("min_bootstrap") = tl::kMinBootstrapReplicates;
}
