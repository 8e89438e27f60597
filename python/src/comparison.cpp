#include "comparison.h"

#include "results_files/comparison_files.h"

namespace tlpy {

namespace py = pybind11;

py::object comparisonColumns(const tl::Results& results, bool differences) {
    if (!results.comparison) return py::none();
    const tl::ModelComparison& comparison = *results.comparison;
    py::list model, kind, method, primary, index, cut, value, se, low, high;
    const auto add = [&](const tl::ComparisonRow& row) {
        model.append(row.model.name);
        kind.append(tl::modelKindName(row.model.kind));
        method.append(tl::modelMethodName(row.model.method));
        primary.append(row.primary.name);
        index.append(row.index.name);
        cut.append(row.index.cut > 0 ? py::object(py::int_(row.index.cut)) : py::none());
        value.append(row.value);
        if (row.spread) {
            se.append(row.spread->se);
            low.append(row.spread->ciLow);
            high.append(row.spread->ciHigh);
        }
    };
    py::dict out;
    if (differences) {
        tl::visitComparisonDifferenceRows(comparison, add);
        out["model"] = model;
        out["primary"] = primary;
    } else {
        tl::visitComparisonRows(comparison, add);
        out["model"] = model;
        out["kind"] = kind;
        out["method"] = method;
    }
    out["index"] = index;
    out["cut"] = cut;
    out[differences ? "difference" : "value"] = value;
    if (comparison.replicates > 0) {
        out["se"] = se;
        out["ci_low"] = low;
        out["ci_high"] = high;
    }
    return out;
}

}  // namespace tlpy
