#pragma once

#include <string>
#include <vector>

namespace tl {

// An ability distribution given as quadrature nodes.
struct PopulationNodes {
    std::vector<double> theta;
    std::vector<double> weight;  // normalised to sum 1
};

// Reads a population table: one row a node, with the columns `theta` and
// `weight` (matched without regard to case; other columns are ignored), from
// delimited text or a statistics package's file, the format from the
// extension. Each theta is finite and no two are equal; each weight is finite
// and at least 0, and they are not all 0. Weights are divided by their sum
// (added in row order). Each refusal is an InputError with the code
// irt.population, naming the file, the row and the column, the value and the
// fix.
PopulationNodes readPopulation(const std::string& path);

}  // namespace tl
