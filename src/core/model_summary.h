#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/finding.h"
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

// How well a model's implied score frequencies match the observed ones:
// adjacent scores merged into bins from the lowest up, Pearson's chi-square,
// its degrees of freedom and p-value.
struct ModelFitBin {
    double first = 0.0;  // the bin's lowest and highest score
    double last = 0.0;
    double expected = 0.0;
    double observed = 0.0;
};
struct ModelFitSummary {
    std::vector<ModelFitBin> bins;
    double chi2 = 0.0;
    int df = 0;
    double p = 0.0;
};

// Which model and method ran, what they used and found, and what of the
// outputs does not apply to them, for every output to say.
struct ModelSummary {
    ModelKind kind = ModelKind::Multinomial;
    ModelMethod method = ModelMethod::Multinomial;
    std::vector<ModelFact> facts;
    // Lines for the reader: how units were formed, what is omitted and why.
    std::vector<std::string> notes;
    std::optional<ModelFitSummary> fit;
    // Why the model fitted fewer parameters than it could (a beta-binomial's
    // fallback); empty when it did not.
    std::string fellBackFrom;
    // What the model found that the run reports (a misfit warning).
    std::vector<Finding> findings;

    void add(std::string key, double value) { facts.push_back({std::move(key), value, {}, true}); }
    void add(std::string key, std::string value) {
        facts.push_back({std::move(key), 0.0, std::move(value), false});
    }
};

}  // namespace tl
