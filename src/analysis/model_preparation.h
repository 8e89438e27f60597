#pragma once

#include <string>
#include <vector>

#include "analysis/prepared_file.h"
#include "core/model_choice.h"

namespace tl {

// Readies an IRT run of an analysis file before its cuts are checked: reads
// the item parameters, matches them with the sets' item columns (`header`
// names the table's columns; warnings go to `found`), refuses what the model
// cannot do, and puts the cuts on the scales the model uses (settleIrtCuts).
// Does nothing for another model. Throws InputError.
void prepareIrt(AnalysisFile& file, const std::vector<std::string>& header,
                ResolvedColumns& columns, ModelChoice& model, const FindingSink& found);

// The same for any route that names each set's items (`itemNames`, per set in
// item order; scores held in memory name them by their columns).
void prepareIrt(ControlCard& card, const std::vector<std::string>& setNames,
                const std::vector<std::vector<std::string>>& itemNames, ModelChoice& model,
                const FindingSink& found);

// The refusals every model but the multinomial shares, before any data is
// read: a bias correction (the multinomial's own), and what the method's
// units cannot give (subgroups, a bootstrap and scale scores need examinees).
void refuseModelRun(const ControlCard& card, const ModelChoice& model, bool scaleTable,
                    const std::vector<std::string>& groups, bool bootstrap);

}  // namespace tl
