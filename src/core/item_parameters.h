#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tl::irt {

// The response models an item may follow. Logistic covers the one-, two- and
// three-parameter dichotomous models (with an upper asymptote); Graded is the
// graded response model; PartialCredit the generalized partial credit model
// (the partial credit model is the same with a = 1).
enum class ItemModel { Logistic, Graded, PartialCredit };

// One item's parameters on the logistic metric, with the scaling constant D
// kept apart: every logit is D a (theta - location).
struct ItemParameters {
    std::string item;  // the data column's name
    ItemModel model = ItemModel::Logistic;
    double a = 1.0;  // discrimination
    double b = 0.0;  // difficulty (Logistic)
    double c = 0.0;  // lower asymptote (Logistic)
    double u = 1.0;  // upper asymptote (Logistic)
    // Graded: the category boundaries b_1 .. b_m; PartialCredit: the step
    // locations b_1 .. b_m. Empty for Logistic.
    std::vector<double> steps;
    std::int64_t line = 0;  // the row of the parameter table it came from (0: none)

    bool operator==(const ItemParameters&) const = default;

    // Categories 0 .. m: 2 for Logistic, steps.size() + 1 otherwise.
    std::size_t categoryCount() const {
        return model == ItemModel::Logistic ? 2 : steps.size() + 1;
    }
};

}  // namespace tl::irt
