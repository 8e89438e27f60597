#pragma once

#include <span>

#include "analysis/model_units.h"
#include "classify/category_groups.h"
#include "core/control_card.h"
#include "core/given_abilities.h"
#include "core/model_choice.h"
#include "core/score_scales.h"

namespace tl {

// The true composite at ability theta: the sum over sets of the set's weight
// times the sum of its items' expected scores, in set and item order, not
// rounded. `parameters` are in set and item order.
double irtTrueComposite(const ControlCard& card, const IrtSettings& irt, double theta);

// The card's cuts as the IRT model uses them. With cuts on theta (the card's
// cuts are abilities) they become true composites, not rounded, and the
// abilities are kept in `irt`; otherwise the abilities of the composite cuts
// are found through the inverse of the true composite (Rudner's method works
// on theta). A cut the true composite cannot reach between theta -10 and 10
// is an InputError naming it.
void settleIrtCuts(ControlCard& card, IrtSettings& irt, bool rudner);

// What the IRT model hands the classification for the examinees of `responses`
// (their observed composites in `observedComposite`): each examinee's ability
// estimate from the responses, then at that ability the composite distribution
// by the Lord-Wingersky recursion and the run's composite combination
// (summed-p), or the normal error around the estimate on the theta cuts
// (rudner-p). Examinees with one response pattern share one computation. With
// abilities given, each examinee is at their given ability (and SE), and
// examinees with the same ability and SE share one computation.
struct IrtUnitsInput {
    const ControlCard* card = nullptr;
    const ScoreScales* scales = nullptr;
    const ModelChoice* model = nullptr;
    std::span<const double> observedComposite;
    const ResponseTable* responses = nullptr;
    // Abilities given with the data, used instead of estimates when not null.
    const GivenAbilities* given = nullptr;
    CompositeCombiner combine;
    // The scale score of each composite score, when a conversion table is
    // used: each unit's scale-score variance is then found beside its
    // distribution (summed-score methods).
    std::span<const double> scaleScores;
    unsigned threads = 0;
    // What to sum over the summed-score methods' composite distributions for
    // the fit check and the sweep (ModelUnits::sums), each unit weighing its
    // weight and compared at its true composite.
    TallyRequest tally;
};
ModelUnits irtExamineeUnits(const IrtUnitsInput& in);

// The same for the population's quadrature nodes (summed-d, rudner-d): 41
// equally spaced points from mean - 4 sd to mean + 4 sd, weighted by the normal
// density and normalised. Each node is one unit: its composite distribution
// (summed-d) or the normal error with SE = 1/sqrt(I(theta)) from every item
// (rudner-d), its true composite as its score, and its weight. The examinees'
// responses are not used.
ModelUnits irtNodeUnits(const IrtUnitsInput& in);

}  // namespace tl
