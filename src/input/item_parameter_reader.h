#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/finding.h"
#include "core/item_parameters.h"
#include "tables/table.h"

namespace tl {

// Reads a table of item parameters, one row an item, from delimited text or a
// statistics package's file. Column names are matched without regard to case:
//
//   item            the data column's name (required)
//   model           1PL, 2PL, 3PL, GRM, GPCM or PCM, in any case (required)
//   a, b            discrimination (default 1) and difficulty of a dichotomous item
//   c or g, u       lower (default 0) and upper (default 1) asymptote of a 3PL item
//   b1 .. bm        graded boundaries or partial credit step locations
//
// or, in the slope-intercept form whose logit has no D, a1 (default D) in place
// of a and intercepts in place of the locations: d gives b = -d / a1; graded
// d1 .. dm give b_k = -d_k / a1; partial credit cumulative intercepts d1 .. dm
// (P(k) proportional to exp(k a1 theta + d_k), d_0 = 0) give
// b_k = -(d_k - d_(k-1)) / a1; and a = a1 / D. Other columns are ignored. An
// empty cell (or NA, or a statistics file's missing value) is a value not
// given. PCM takes a = 1.
//
// Each refusal is an InputError with one line naming the file, the row (data
// rows counted from 1), the column and the value, and the fix: irt.columns,
// irt.unknown_model, irt.parameter, irt.duplicate_item, irt.asymptote (c or u
// outside [0, 1], or c >= u), irt.boundaries (graded boundaries that do not
// increase). D must be above 0.
std::vector<irt::ItemParameters> readItemParameters(const TableSource& source, double D);
// The same, the format from the file's extension.
std::vector<irt::ItemParameters> readItemParameters(const std::string& path, double D);

// An item set as the parameters are checked against it: its name, its items'
// data columns and its number of score points.
struct ParameterSet {
    std::string name;
    std::vector<std::string> items;
    std::size_t scorePointCount = 0;
};

struct MatchedParameters {
    // Each set's items' parameters, in the set's order and its items' order.
    std::vector<std::vector<irt::ItemParameters>> sets;
    std::vector<Finding> warnings;  // irt.extra_item, irt.slope
};

// Matches a parameter table (read from `source`, named in messages) with the
// sets. An item of a set with no row (irt.missing_item, naming the closest
// item of the table) and an item whose category count is not its set's number
// of score points (irt.category_count) are InputErrors; rows for items in no
// set (irt.extra_item, one warning naming them) and a <= 0 (irt.slope, each)
// are warnings.
MatchedParameters checkItemParameters(const std::vector<irt::ItemParameters>& parameters,
                                      const std::vector<ParameterSet>& sets,
                                      const std::string& source);

}  // namespace tl
