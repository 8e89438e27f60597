#pragma once

#include <string>
#include <vector>

#include "core/model_choice.h"

namespace tl {

// One fact a model reports about its run: a setting it used or a value it
// found ("D", "estimator", "n_eff"), as a number or a text.
struct ModelFact {
    std::string key;
    double number = 0.0;
    std::string text;
    bool isNumber = false;
};

// Which model and method ran, what they used and found, and what of the
// outputs does not apply to them, for every output to say.
struct ModelSummary {
    ModelKind kind = ModelKind::Multinomial;
    ModelMethod method = ModelMethod::Multinomial;
    std::vector<ModelFact> facts;
    // Lines for the reader: how units were formed, what is omitted and why.
    std::vector<std::string> notes;

    void add(std::string key, double value) { facts.push_back({std::move(key), value, {}, true}); }
    void add(std::string key, std::string value) {
        facts.push_back({std::move(key), 0.0, std::move(value), false});
    }
};

}  // namespace tl
