#include "analysis/irt_preparation.h"

#include "analysis/irt_units.h"
#include "core/errors.h"
#include "input/item_parameter_reader.h"

namespace tl {

namespace {

[[noreturn]] void refuse(const std::string& key, const std::string& text) {
    Finding finding;
    finding.code = FindingCode::ModelRefused;
    finding.key = key;
    finding.text = text;
    throw InputError(std::move(finding));
}

std::string methodText(const ModelChoice& model) {
    return std::string(modelKindName(model.kind)) + " model's " +
           std::string(modelMethodName(model.method)) + " method";
}

}  // namespace

void refuseModelRun(const ControlCard& card, const ModelChoice& model, bool scaleTable) {
    if (model.kind == ModelKind::Multinomial) return;
    if (card.biasCorrection != 0)
        refuse("classification.bias_correction",
               "bias correction belongs to the multinomial model; the " + methodText(model) +
                   " has its own true scores: turn bias_correction off or use the multinomial");
    if (methodUsesNodes(model.method))
        refuse("model.method", "the " + methodText(model) +
                                   " is not available yet in this version; use summed-p or "
                                   "rudner-p, whose units are the examinees");
    if (scaleTable && model.method == ModelMethod::RudnerP)
        refuse("scale", "Rudner's method gives no composite distribution, so no scale-score "
                        "table: leave out [scale] and --scale, or use summed-p");
}

void prepareIrt(AnalysisFile& file, const std::vector<std::string>& header,
                const ResolvedColumns& columns, ModelChoice& model, const FindingSink& found) {
    if (model.kind != ModelKind::Irt) return;
    IrtSettings& irt = model.irt;
    std::vector<ParameterSet> sets;
    for (std::size_t s = 0; s < columns.items.size(); ++s) {
        ParameterSet& set = sets.emplace_back();
        set.name = s < file.labels.setNames.size() ? file.labels.setNames[s] : "";
        for (std::size_t column : columns.items[s]) set.items.push_back(header[column]);
        set.scorePointCount = static_cast<std::size_t>(file.card.itemSets[s].scorePointCount);
    }
    const MatchedParameters matched =
        checkItemParameters(readItemParameters(irt.itemsPath, irt.scaling), sets, irt.itemsPath);
    for (const Finding& warning : matched.warnings) found(warning);
    irt.parameters.clear();
    for (const auto& set : matched.sets)
        irt.parameters.insert(irt.parameters.end(), set.begin(), set.end());
    settleIrtCuts(file.card, irt, model.method == ModelMethod::RudnerP);
}

}  // namespace tl
