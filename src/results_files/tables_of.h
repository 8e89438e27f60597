#pragma once

#include <stdexcept>

#include "classify/index_fields.h"
#include "classify/precision_fields.h"
#include "results/results.h"

namespace tl {

// The results files show the tables; a run without them cannot be written.
inline const ClassificationTables& tablesOf(const Results& results) {
    if (!results.tables) {
        throw std::invalid_argument("the results files need a run analysed with its tables");
    }
    return *results.tables;
}

}  // namespace tl
