#include "analysis/beta_binomial_groups.h"

#include <limits>

#include "classify/classification.h"
#include "core/errors.h"

namespace tl {

namespace {

// Per level, flattened variable by variable, the entries of `sample` whose
// examinee is in it, in sample order.
std::vector<std::vector<std::uint32_t>> membersOf(const ExamineeGroups& groups,
                                                  ExamineeSample sample) {
    std::vector<std::vector<std::uint32_t>> members;
    for (const GroupingVariable& variable : groups.variables) {
        const std::size_t first = members.size();
        members.resize(first + variable.levels.size());
        for (std::uint32_t i : sample) members[first + variable.levelOf[i]].push_back(i);
    }
    return members;
}

std::vector<double> scoresOf(std::span<const double> composite,
                             std::span<const std::uint32_t> members) {
    std::vector<double> scores;
    scores.reserve(members.size());
    for (std::uint32_t i : members) scores.push_back(composite[i]);
    return scores;
}

}  // namespace

std::optional<FittedNodes> fitNodes(BetaBinomialUnitsInput run, std::span<const double> scores,
                                    std::string* why) {
    run.observedComposite = scores;
    run.forReplicate = true;
    FittedNodes fit;
    try {
        fit.units = betaBinomialUnits(run);
    } catch (const InputError& refusal) {
        if (why) *why = refusal.finding().text;
        return std::nullopt;
    }
    fit.trueCategory = categoriesOf(fit.units.trueScore, fit.units.trueCuts);
    return fit;
}

GroupIndices nodeIndices(const FittedNodes& fit, std::int32_t categoryCount,
                         std::vector<double>* trueByObserved) {
    const ClassifiedExaminees nodes = fit.classified(categoryCount);
    const std::vector<std::uint32_t> all = wholeSample(nodes.size());
    GroupIndices g;
    g.overall = overallIndices(nodes, all);
    g.cuts = cutIndices(nodes, all);
    SampleTables tables;
    g.cutDiagnostics = precisionIndices(nodes, all, g.overall.kappa, &tables).cuts;
    if (trueByObserved) *trueByObserved = std::move(tables.trueByObserved);
    return g;
}

std::vector<double> levelReliabilities(const BetaBinomialUnitsInput& run,
                                       std::span<const std::vector<SetMoments>> levelMoments,
                                       std::span<const double> examineeComposite,
                                       const ExamineeGroups& groups) {
    const std::vector<std::vector<std::uint32_t>> members =
        membersOf(groups, wholeSample(examineeComposite.size()));
    std::vector<double> reliability(members.size(), run.reliability);
    if (levelMoments.size() != members.size()) return reliability;
    for (std::size_t l = 0; l < members.size(); ++l) {
        const std::vector<double> scores = scoresOf(examineeComposite, members[l]);
        reliability[l] = alphaOfSets(*run.card, levelMoments[l], varianceAboutMean(scores));
    }
    return reliability;
}

std::vector<GroupLevel> betaBinomialGroupLevels(const BetaBinomialUnitsInput& run,
                                                std::span<const double> examineeComposite,
                                                const ExamineeGroups& groups,
                                                std::span<const double> reliability,
                                                std::vector<std::string>& notes) {
    const std::int32_t categories = run.card->categoryCount;
    const auto k = static_cast<std::size_t>(categories);
    const std::size_t cuts = k - 1;
    const std::vector<std::vector<std::uint32_t>> members =
        membersOf(groups, wholeSample(examineeComposite.size()));
    std::vector<GroupLevel> levels;
    std::size_t l = 0;
    for (const GroupingVariable& variable : groups.variables) {
        for (const std::string& name : variable.levels) {
            GroupLevel& level = levels.emplace_back();
            level.variable = variable.name;
            level.level = name;
            level.examinees = static_cast<std::int64_t>(members[l].size());
            level.small = level.examinees < groups.minGroup;
            level.observedCounts.assign(k, 0);
            level.trueCounts.assign(k, 0);
            BetaBinomialUnitsInput own = run;
            own.reliability = reliability[l];
            std::string why;
            const std::vector<double> scores = scoresOf(examineeComposite, members[l]);
            const std::optional<FittedNodes> fit = fitNodes(own, scores, &why);
            ++l;
            if (!fit) {
                level.indices = undefinedGroupIndices(cuts);
                level.trueByObserved.assign(k * k, std::numeric_limits<double>::quiet_NaN());
                notes.push_back(variable.name + " = " + name + ": " + why +
                                "; this level's indices are not given");
                continue;
            }
            level.indices = nodeIndices(*fit, categories, &level.trueByObserved);
            const std::vector<std::int32_t> observed =
                categoriesOf(fit->units.unitScore, run.card->observedCuts);
            for (std::size_t q = 0; q < observed.size(); ++q) {
                ++level.observedCounts[static_cast<std::size_t>(observed[q] - 1)];
                ++level.trueCounts[static_cast<std::size_t>(fit->trueCategory[q] - 1)];
            }
        }
    }
    return levels;
}

std::vector<GroupIndices> betaBinomialGroupSampleIndices(const BetaBinomialUnitsInput& run,
                                                         std::span<const double> examineeComposite,
                                                         ExamineeSample sample,
                                                         const ExamineeGroups& groups,
                                                         std::span<const double> reliability) {
    const std::size_t cuts = static_cast<std::size_t>(run.card->categoryCount) - 1;
    const std::vector<std::vector<std::uint32_t>> members = membersOf(groups, sample);
    std::vector<GroupIndices> levels;
    for (std::size_t l = 0; l < members.size(); ++l) {
        BetaBinomialUnitsInput own = run;
        own.reliability = reliability[l];
        const std::vector<double> scores = scoresOf(examineeComposite, members[l]);
        const std::optional<FittedNodes> fit =
            scores.empty() ? std::nullopt : fitNodes(own, scores);
        levels.push_back(fit ? nodeIndices(*fit, run.card->categoryCount)
                             : undefinedGroupIndices(cuts));
    }
    return levels;
}

}  // namespace tl
