#include "plan/card_checks.h"

#include <filesystem>

#include "core/errors.h"
#include "core/limits.h"
#include "core/messages.h"
#include "model/composite_convolution.h"
#include "model/raw_score_convolution.h"

namespace tl {

namespace {

[[noreturn]] void refuse(const std::string& reason) {
    throw DetectedError{messages::refusal(reason)};
}

std::string setLabel(std::size_t s) {
    return "Set " + std::to_string(s + 1) + ": ";
}

void checkItemSet(const ItemSet& set, std::size_t s, bool mayConvolve) {
    if (set.itemCount < 1) {
        refuse(setLabel(s) + "the number of items must be at least 1, not " +
               std::to_string(set.itemCount) + ".");
    }
    if (set.scorePointCount < 2) {
        refuse(setLabel(s) + "at least 2 score points are needed, not " +
               std::to_string(set.scorePointCount) + ".");
    }
    if (set.scorePointCount > kMaxScorePoints) return;  // stopped when the set is reached
    if (!scorePointsRise(set.scorePoints))
        refuse(setLabel(s) + "the score points must be listed in ascending order, each once.");
    const std::int64_t vectors =
        countVectorCount(set.itemCount, set.scorePointCount, kMaxCountVectors);
    if (vectors > kMaxCountVectors && !mayConvolve) {
        refuse(setLabel(s) + std::to_string(set.itemCount) + " items with " +
               std::to_string(set.scorePointCount) + " score points give more than " +
               std::to_string(kMaxCountVectors) + " count vectors to enumerate.");
    }
}

void checkCutsAscending(const std::vector<double>& cuts, const char* which) {
    for (std::size_t j = 1; j < cuts.size(); ++j) {
        if (cuts[j] < cuts[j - 1])
            refuse(std::string("The ") + which + " cut scores must not decrease.");
    }
}

bool sameFile(const std::string& a, const std::string& b) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (fs::exists(a, error) && fs::exists(b, error) && fs::equivalent(a, b, error)) return true;
    const fs::path pa = fs::weakly_canonical(fs::absolute(a, error), error);
    const fs::path pb = fs::weakly_canonical(fs::absolute(b, error), error);
    return !pa.empty() && pa == pb;
}

}  // namespace

std::int64_t countVectorCount(std::int64_t items, std::int64_t scorePoints, std::int64_t cap) {
    // C(n + i, i) for i = 1 .. k - 1; every intermediate value is a whole number,
    // and a value up to the cap times n + i fits in 128 bits.
    __extension__ using Wide = unsigned __int128;
    Wide value = 1;
    for (std::int64_t i = 1; i < scorePoints; ++i) {
        value = value * static_cast<Wide>(items + i) / static_cast<Wide>(i);
        if (value > static_cast<Wide>(cap)) return cap + 1;
    }
    return static_cast<std::int64_t>(value);
}

namespace {

bool compositeMayConvolve(const ControlCard& card, const ScoreScales& scales) {
    return compositeConvolutionApplies(compositeRows(card, scales).rows);
}

bool setMayConvolve(const ItemSet& set, Engine engine) {
    return engine != Engine::Enumerate &&
           static_cast<std::size_t>(set.scorePointCount) == set.scorePoints.size() &&
           convolutionApplies(set.itemCount, set.scorePoints);
}

std::int64_t combinationsOf(const ScoreScales& scales) {
    std::int64_t combinations = 1;
    for (const RawScoreRange& range : scales.sets) {
        const auto entries = static_cast<std::int64_t>(range.rawScores.size());
        combinations *= entries > 0 ? entries : 1;
        if (combinations > kMaxCompositeCombinations) return kMaxCompositeCombinations + 1;
    }
    return combinations;
}

}  // namespace

CompositeRows compositeRows(const ControlCard& card, const ScoreScales& scales) {
    CompositeRows composite;
    composite.weighted.resize(card.itemSets.size());
    for (std::size_t s = 0; s < card.itemSets.size(); ++s) {
        for (double r : scales.sets[s].rawScores)
            composite.weighted[s].push_back(card.itemSets[s].weight * r);
        composite.rows.push_back(SetRow{nullptr, composite.weighted[s].data(),
                                        scales.sets[s].rawScores.data(), card.itemSets[s].weight,
                                        composite.weighted[s].size()});
    }
    return composite;
}

EnginePlan planEngine(const ControlCard& card, const ScoreScales& scales, Engine engine) {
    EnginePlan plan;
    for (const ItemSet& set : card.itemSets) {
        // Counted well past the limit, so that a note can name the number.
        const std::int64_t vectors =
            countVectorCount(set.itemCount, set.scorePointCount, kCountedVectors);
        plan.countVectors.push_back(vectors);
        const bool needed = engine == Engine::Convolve || vectors > kMaxCountVectors;
        plan.convolveSet.push_back(needed && setMayConvolve(set, engine));
    }
    plan.combinations = combinationsOf(scales);
    const bool needed = engine == Engine::Convolve || plan.combinations > kMaxCompositeCombinations;
    plan.convolveComposite = engine != Engine::Enumerate && card.itemSets.size() > 1 && needed &&
                             compositeMayConvolve(card, scales);
    return plan;
}

void refuseUnworkableCard(const ControlCard& card, const ScoreScales& scales, Engine engine) {
    if (card.setCount < 1) {
        refuse("The number of item sets must be at least 1, not " + std::to_string(card.setCount) +
               ".");
    }
    for (std::size_t s = 0; s < card.itemSets.size(); ++s) {
        checkItemSet(card.itemSets[s], s, setMayConvolve(card.itemSets[s], engine));
    }

    if (card.categoryCount < kMinCategories || card.categoryCount > kMaxCategories) {
        throw DetectedError(messages::categoryCountOutOfRange(card.categoryCount),
                            FindingCode::CategoryCount);
    }
    checkCutsAscending(card.observedCuts, "observed");
    checkCutsAscending(card.trueCuts, "true");

    bool stopsAtScorePoints = false;
    for (const ItemSet& set : card.itemSets)
        stopsAtScorePoints |= set.scorePointCount > kMaxScorePoints;
    if (!stopsAtScorePoints && combinationsOf(scales) > kMaxCompositeCombinations) {
        if (engine == Engine::Enumerate || !compositeMayConvolve(card, scales)) {
            refuse("The item sets give more than " + std::to_string(kMaxCompositeCombinations) +
                   " combinations of raw scores per examinee.");
        }
    }
}

void refuseUnsafeOutput(const ControlCard& card, const std::string& controlCardFile) {
    if (card.outputFile.empty()) refuse("No output file is named.");
    if (sameFile(card.outputFile, controlCardFile)) {
        refuse("The output file " + card.outputFile + " is the control card itself.");
    }
    for (std::size_t s = 0; s < card.itemSets.size(); ++s) {
        if (sameFile(card.outputFile, card.itemSets[s].dataFile)) {
            refuse("The output file " + card.outputFile + " is the data file of set " +
                   std::to_string(s + 1) + ".");
        }
    }
}

}  // namespace tl
