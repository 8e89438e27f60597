#pragma once

#include <vector>

namespace tl {

// Each kept examinee's ability estimate, and its standard error when one was
// given, in record order, as read from the data table's columns.
struct GivenAbilities {
    std::vector<double> theta;
    std::vector<double> se;  // empty: no standard error column
};

}  // namespace tl
