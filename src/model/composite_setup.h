#pragma once

#include <optional>

#include "model/composite_convolution.h"
#include "model/composite_distribution.h"

namespace tl {

// How a run finds each examinee's composite distribution, set up once from the
// sets' weighted scores and the composite scale: by the convolution when it is
// given, else through the table of the nested loops when it is made, else by
// the nested loops themselves. Every way gives the bits the plan expects of it.
struct CompositeSetup {
    std::optional<CompositeConvolution> convolution;
    std::optional<CompositeTable> table;
};

}  // namespace tl
