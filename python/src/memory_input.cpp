#include "memory_input.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/errors.h"
#include "core/limits.h"
#include "core/messages.h"
#include "input/group_levels.h"

namespace tlpy {

namespace py = pybind11;

namespace {

using Matrix = py::array_t<double, py::array::c_style | py::array::forcecast>;

tl::ItemSet itemSetOf(const py::dict& set, std::int32_t items) {
    const auto points = set["points"].cast<std::vector<double>>();
    tl::ItemSet item;
    item.weight = set["weight"].cast<double>();
    item.itemCount = items;
    item.scorePointCount = static_cast<std::int32_t>(points.size());
    // The card holds fifteen points at most and the last one apart, as read.
    const auto kept = std::min<std::size_t>(points.size(), tl::kMaxScorePoints);
    item.scorePoints.assign(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(kept));
    item.highestScorePoint = points.empty() ? 0.0 : points.back();
    item.dataFile = set["label"].cast<std::string>();
    return item;
}

// A matrix held row by row, one examinee after another, as the library takes it.
tl::ScoreMatrix scoresOf(const Matrix& m) {
    tl::ScoreMatrix out;
    out.rows = static_cast<std::int32_t>(m.shape(0));
    out.columns = static_cast<std::int32_t>(m.shape(1));
    out.values.assign(m.data(), m.data() + m.size());
    return out;
}

tl::ExamineeGroups groupsOf(const py::handle& groups) {
    tl::ExamineeGroups out;
    if (groups.is_none()) return out;
    const py::dict g = groups.cast<py::dict>();
    out.minGroup = g["min_group"].cast<std::int64_t>();
    const auto names = g["names"].cast<std::vector<std::string>>();
    const py::list cells = g["cells"];
    const py::list labels = g["labels"];
    for (std::size_t v = 0; v < names.size(); ++v) {
        tl::GroupLevelCollector collector(names[v]);
        for (const py::handle cell : py::list(cells[v])) {
            if (cell.is_none()) {
                collector.addMissing();
            } else {
                collector.add(cell.cast<std::string>());
            }
        }
        if (!labels[v].is_none()) {
            const py::dict named = labels[v];
            const auto values = named["values"].cast<std::vector<std::string>>();
            const auto label = named["names"].cast<std::vector<std::string>>();
            for (std::size_t l = 0; l < values.size(); ++l) collector.label(values[l], label[l]);
        }
        out.variables.push_back(collector.finish());
    }
    return out;
}

}  // namespace

std::shared_ptr<tl::MemoryInput> memoryInputFromPython(const py::dict& args) {
    auto input = std::make_shared<tl::MemoryInput>();
    tl::ControlCard& card = input->card;
    const py::list sets = args["sets"];
    card.setCount = static_cast<std::int32_t>(sets.size());
    // A card's reader stops at this count before it reads any set.
    if (card.setCount > tl::kMaxItemSets) {
        throw tl::DetectedError(tl::messages::tooManyItemSets(), tl::FindingCode::TooManyItemSets);
    }
    for (const py::handle s : sets) {
        const py::dict set = s.cast<py::dict>();
        const Matrix scores = set["scores"].cast<Matrix>();
        card.itemSets.push_back(itemSetOf(set, static_cast<std::int32_t>(scores.shape(1))));
        input->scores.push_back(scoresOf(scores));
    }
    const auto cuts = args["cuts"].cast<std::vector<double>>();
    card.categoryCount = static_cast<std::int32_t>(cuts.size()) + 1;
    card.observedCuts = cuts;
    card.trueCuts = args["true_cuts"].cast<std::vector<double>>();
    card.conditionalResults = 0;
    card.biasCorrection = args["bias_correction"].cast<bool>() ? 1 : 0;
    input->groups = groupsOf(args["groups"]);
    input->labels.categoryLabels = args["labels"].cast<std::vector<std::string>>();
    input->records.rows = args["rows"].cast<std::vector<std::int64_t>>();
    input->records.ids = args["ids"].cast<std::vector<std::string>>();
    if (!args["scale_raw"].is_none()) {
        tl::ScaleTable table;
        table.source = "`scale`";
        table.raw = args["scale_raw"].cast<std::vector<double>>();
        table.scale = args["scale_values"].cast<std::vector<double>>();
        for (std::size_t i = 0; i < table.raw.size(); ++i)
            table.lines.push_back(static_cast<std::int64_t>(i + 1));
        input->scale = std::move(table);
    }
    // Each set's item names: the IRT model matches its parameters to them.
    for (const py::handle set : py::list(args["sets"])) {
        const py::dict named = py::reinterpret_borrow<py::dict>(set);
        if (named.contains("items"))
            input->itemNames.push_back(named["items"].cast<std::vector<std::string>>());
        if (named.contains("reversed"))
            input->reversed.push_back(named["reversed"].cast<std::vector<bool>>());
    }
    return input;
}

}  // namespace tlpy
