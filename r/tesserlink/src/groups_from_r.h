#pragma once

#include <Rcpp.h>

#include "core/examinee_groups.h"

namespace tlr {

// The grouping columns cac() gathered: list(names, cells, labels, min_group),
// where cells[[v]] holds variable v's value of each kept examinee as text (NA:
// missing) and labels[[v]] is NULL or list(values, names). Levels are ordered
// by the library's one rule, as for a table's grouping columns.
tl::ExamineeGroups groupsFromR(const Rcpp::List& groups);

}  // namespace tlr
