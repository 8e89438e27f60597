#include "examinees.h"

#include <pybind11/numpy.h>

#include <span>
#include <string>
#include <vector>

#include "results_files/examinee_fields.h"

namespace tlpy {

namespace py = pybind11;

namespace {

template <typename T>
py::array_t<T> column(std::size_t n, const auto& valueOf) {
    py::array_t<T> out(static_cast<py::ssize_t>(n));
    T* data = out.mutable_data();
    for (std::size_t i = 0; i < n; ++i) data[i] = static_cast<T>(valueOf(i));
    return out;
}

py::array_t<double> reals(std::span<const double> values) {
    return column<double>(values.size(), [&](std::size_t i) { return values[i]; });
}

}  // namespace

py::list examineeColumns(const tl::Results& r) {
    namespace c = tl::column;
    const std::size_t n = r.observedComposite.size();
    const tl::Classification& cl = r.classification;
    py::list out;
    const auto add = [&out](std::string_view name, const py::object& values) {
        out.append(py::make_tuple(std::string(name), values));
    };
    add(c::kRecord, column<std::int64_t>(n, [&](std::size_t i) {
            return r.records.rows.empty() ? static_cast<std::int64_t>(i + 1) : r.records.rows[i];
        }));
    add(c::kObservedComposite, reals(r.observedComposite));
    add(c::kTrueCategoryComposite, reals(r.classificationComposite()));
    add(c::kObservedCategory,
        column<std::int32_t>(n, [&](std::size_t i) { return r.observedCategory[i]; }));
    add(c::kTrueCategory,
        column<std::int32_t>(n, [&](std::size_t i) { return cl.trueCategory[i]; }));
    const std::vector<std::string> categories = tl::categoryNames(r);
    for (std::size_t k = 0; k < categories.size(); ++k) {
        add(tl::probabilityColumn(categories[k]),
            column<double>(n, [&](std::size_t i) { return r.categoryProbabilities(i)[k]; }));
    }
    add(c::kConsistency, reals(cl.conditionalConsistency));
    add(c::kAccuracy, reals(cl.conditionalAccuracy));
    add(c::kFalsePositive, reals(cl.conditionalFalsePositive));
    add(c::kFalseNegative, reals(cl.conditionalFalseNegative));
    add(c::kErrorVariance, reals(r.compositeErrorVariance));
    if (r.tables) add(c::kCsem, reals(r.tables->examineeCsem));
    // A model's nodes have no scale scores; its examinees' are in its own files.
    if (r.scale && r.unitWeight.empty()) {
        add(c::kScaleScore, column<double>(n, [&](std::size_t i) {
                return r.scale->scaleScoreOf(r.observedComposite[i]);
            }));
        add(c::kScaleCsem,
            column<double>(n, [&](std::size_t i) { return r.scale->examineeCsem(i); }));
    }
    if (!r.theta.empty()) {
        add(c::kTheta, reals(r.theta));
        add(c::kThetaSe, reals(r.thetaSe));
        add(c::kTrueComposite, reals(r.trueComposite));
    }
    return out;
}

}  // namespace tlpy
