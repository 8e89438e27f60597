#include "analysis/model_preparation.h"

#include "analysis/irt_units.h"
#include "core/errors.h"
#include "input/item_parameter_reader.h"
#include "input/population_reader.h"

namespace tl {

namespace {

[[noreturn]] void refuse(const std::string& key, const std::string& text,
                         FindingCode code = FindingCode::ModelRefused) {
    Finding finding;
    finding.code = code;
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
    if (model.method == ModelMethod::HansonBrennan) {
        const bool numberCorrect = card.itemSets.size() == 1 &&
                                   card.itemSets[0].scorePoints == std::vector<double>{0.0, 1.0} &&
                                   card.itemSets[0].weight == 1.0;
        if (!numberCorrect)
            refuse("model.method",
                   "the Hanson-Brennan method is for one set of items scored 0 and 1 with weight "
                   "1 (number correct); use method \"ll\" for other sets, points or weights",
                   FindingCode::ModelHbNotDichotomous);
    }
    if (methodUsesNodes(model.method)) {
        // The units are nodes of a true-score distribution, not examinees.
        const std::string instead = model.kind == ModelKind::Irt
                                        ? "use summed-p or rudner-p, whose units are examinees"
                                        : "use the multinomial or the IRT summed-p method";
        if (!groups.empty() && model.kind == ModelKind::Irt)
            refuse("data.groups", "subgroups are not available with the " + methodText(model) +
                                      ", whose units are the nodes of a true-score "
                                      "distribution; " +
                                      instead);
        if (bootstrap && model.kind == ModelKind::Irt)
            refuse("options.bootstrap", "a bootstrap is not available with the " +
                                            methodText(model) +
                                            ", whose units are the nodes of the population; " +
                                            instead + ", or give --bootstrap 0");
        if (scaleTable && model.kind == ModelKind::Irt)
            refuse("scale", "scale scores are not available with the " + methodText(model) +
                                ", whose units are the nodes of a true-score distribution; " +
                                instead);
    }
    if (scaleTable && model.method == ModelMethod::RudnerP)
        refuse("scale", "scale scores are not available with the " + methodText(model) +
                            ", which has no composite distribution to carry them; use the "
                            "summed-p method");
}

void prepareIrt(ControlCard& card, const std::vector<std::string>& setNames,
                const std::vector<std::vector<std::string>>& itemNames, ModelChoice& model,
                const FindingSink& found) {
    if (model.kind != ModelKind::Irt) return;
    IrtSettings& irt = model.irt;
    std::vector<ParameterSet> sets;
    for (std::size_t s = 0; s < card.itemSets.size(); ++s) {
        ParameterSet& set = sets.emplace_back();
        // An unnamed set is named by its number, as messages name it.
        set.name =
            s < setNames.size() && !setNames[s].empty() ? setNames[s] : std::to_string(s + 1);
        if (s < itemNames.size()) set.items = itemNames[s];
        set.scorePointCount = static_cast<std::size_t>(card.itemSets[s].scorePointCount);
    }
    const MatchedParameters matched =
        checkItemParameters(readItemParameters(irt.itemsPath, irt.scaling), sets, irt.itemsPath);
    for (const Finding& warning : matched.warnings) found(warning);
    irt.parameters.clear();
    for (const auto& set : matched.sets)
        irt.parameters.insert(irt.parameters.end(), set.begin(), set.end());
    if (!irt.populationPath.empty() && methodUsesNodes(model.method)) {
        PopulationNodes nodes = readPopulation(irt.populationPath);
        irt.populationTheta = std::move(nodes.theta);
        irt.populationWeight = std::move(nodes.weight);
    }
    settleIrtCuts(card, irt,
                  model.method == ModelMethod::RudnerP || model.method == ModelMethod::RudnerD);
}

void prepareIrt(AnalysisFile& file, const std::vector<std::string>& header,
                ResolvedColumns& columns, ModelChoice& model, const FindingSink& found) {
    if (model.kind != ModelKind::Irt) return;
    const IrtSettings& irt = model.irt;
    if (!irt.thetaColumn.empty()) {
        resolveAbilityColumns(file, header, irt.thetaColumn, irt.thetaSeColumn, columns);
    } else if (!irt.thetaSeColumn.empty()) {
        throw file.error("irt.theta_se",
                         "a standard error column needs its abilities: name theta too",
                         FindingCode::IrtTheta);
    }
    if (model.method == ModelMethod::RudnerP && !irt.thetaColumn.empty() &&
        irt.thetaSeColumn.empty())
        throw file.error("irt.theta_se",
                         "Rudner's method needs each examinee's standard error beside the given "
                         "ability: name its column as theta_se, or leave theta out to estimate "
                         "both",
                         FindingCode::IrtTheta);
    std::vector<std::vector<std::string>> names;
    for (const auto& set : columns.items) {
        auto& items = names.emplace_back();
        for (std::size_t column : set) items.push_back(header[column]);
    }
    prepareIrt(file.card, file.labels.setNames, names, model, found);
}

}  // namespace tl
