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

void refuseModelRun(const ControlCard& card, const ModelChoice& model, bool scaleTable,
                    const std::vector<std::string>& groups, bool bootstrap) {
    if (model.kind == ModelKind::Multinomial) return;
    if (card.biasCorrection != 0)
        refuse("classification.bias_correction",
               "bias correction belongs to the multinomial model; the " + methodText(model) +
                   " has its own true scores: turn bias_correction off or use the multinomial");
    if (methodUsesNodes(model.method)) {
        const std::string why = " work on the population's nodes, not on examinees";
        if (!groups.empty())
            refuse("data.groups", "subgroups need examinees as units: the " + methodText(model) +
                                      " and its nodes know no groups; use summed-p or rudner-p");
        if (bootstrap)
            refuse("options.bootstrap", "a bootstrap resamples examinees: the " +
                                            methodText(model) +
                                            " has none to resample; use summed-p or rudner-p, "
                                            "or --bootstrap 0");
        if (scaleTable)
            refuse("scale", "scale scores are converted from examinees' composites: the " +
                                methodText(model) + " has none; use summed-p");
    }
    if (scaleTable && model.kind == ModelKind::Irt)
        refuse("scale", "scale scores with the IRT model are not available yet in this "
                        "version: leave out [scale] and --scale, or use the multinomial");
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
    settleIrtCuts(file.card, irt,
                  model.method == ModelMethod::RudnerP || model.method == ModelMethod::RudnerD);
}

}  // namespace tl
