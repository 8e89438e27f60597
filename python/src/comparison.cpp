#include "comparison.h"

#include <pybind11/stl.h>

#include "results_files/comparison_files.h"

namespace tlpy {

namespace py = pybind11;

py::object comparisonColumns(const tl::Results& results, bool differences) {
    if (!results.comparison) return py::none();
    const tl::ComparisonColumns c = tl::comparisonColumns(*results.comparison, differences);
    py::list cut;
    for (const std::int32_t at : c.cut) cut.append(at > 0 ? py::object(py::int_(at)) : py::none());
    py::dict out;
    out["model"] = c.model;
    if (differences) {
        out["primary"] = c.primary;
    } else {
        out["kind"] = c.kind;
        out["method"] = c.method;
    }
    out["index"] = c.index;
    out["cut"] = cut;
    out[differences ? "difference" : "value"] = c.value;
    if (c.spreads) {
        out["se"] = c.se;
        out["ci_low"] = c.ciLow;
        out["ci_high"] = c.ciHigh;
    }
    return out;
}

}  // namespace tlpy
