#pragma once

#include <vector>

#include "model/composite_setup.h"
#include "model/count_vector_table.h"
#include "plan/run_plan.h"

namespace tl {

// How the replicates of a bias-corrected bootstrap compute their distributions.
// Each replicate is a whole second pass, so the engine that costs least per
// profile pays off B times over; the run itself keeps its plan's engines, so
// its own numbers do not change by a bit.
//
// With the plan's automatic engine, a set the run enumerates is convolved in
// the replicates when the convolution applies, costs fewer operations than the
// enumeration's terms, and the enumeration's coefficients are the exact
// multinomials: then both add up the same terms and differ only by rounding.
// The composite is convolved wherever the convolution gives the nested loops'
// assignment of every combination. With an engine named by the user the
// replicates compute as the run does.
//
// The identity replicate then reproduces the run's indices to 1e-12 relative:
// every quantity on the way (the raw-score and composite probabilities, the
// category probabilities, the means over examinees) is a sum of non-negative
// products, so each differs by a relative error of a few units in the last
// place per operation along it (below about 1e-13 for the sizes the model
// meets), and the true categories, which depend only on the proportions, are
// the same. Kappa divides by 1 - chance and so stays within the same bound
// while chance agreement is not close to 1.
struct ReplicateEngine {
    std::vector<bool> convolveSet;
    CompositeSetup composite;
};

// `tables` are the run's count-vector tables, one per set.
ReplicateEngine replicateEngine(const RunPlan& plan, const ControlCard& card,
                                const std::vector<CountVectorTable>& tables);

}  // namespace tl
