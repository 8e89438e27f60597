#pragma once

#include <cstdint>
#include <limits>
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
    double largestCdfDifference = 0.0;  // of the unmerged scores' distributions
    // The model fitted no parameter to the score distribution (the
    // multinomial, IRT at each examinee's estimate): the chi-square describes
    // the misfit but is not a test.
    bool descriptive = false;
};

// A row of a model's own conditional results: at a true score on the model's
// scale ("tau": the category probabilities of the score an examinee at that
// true score would get, and the true category), or at an observed score
// ("score": their posterior means over the examinees with that score).
struct ModelConditionalRow {
    std::string kind;           // "tau" or "score"
    double value = 0.0;         // tau, or the score on the model's scale
    double composite = 0.0;     // the same on the composite scale
    std::int32_t category = 0;  // the true category of tau, or the observed of the score (1-based)
    double weight = 0.0;        // the density at tau, or the score's expected proportion
    std::vector<double> probabilities;
    double consistency = 0.0;
    double accuracy = 0.0;
    double csem = 0.0;  // on the composite scale
    // The scale score's error variance, when scale scores are given (NaN
    // otherwise); its square root is the row's scale CSEM.
    double scaleVariance = std::numeric_limits<double>::quiet_NaN();
};

// Each examinee's row of a model's own per-examinee results: the examinee's
// observed composite and the index of their score's row among the "score"
// rows.
struct ModelExaminees {
    std::vector<double> composite;
    std::vector<std::int32_t> scoreRow;
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
    // With bias correction, the multinomial's second pass (fit is its first).
    std::optional<ModelFitSummary> correctedFit;
    // Why the model fitted fewer parameters than it could (a beta-binomial's
    // fallback); empty when it did not.
    std::string fellBackFrom;
    // The model's own conditional rows and per-examinee values, where its
    // units are not the examinees (beta-binomial).
    std::vector<ModelConditionalRow> conditional;
    std::optional<ModelExaminees> examinees;
    // What the model found that the run reports (a misfit warning).
    std::vector<Finding> findings;

    void add(std::string key, double value) { facts.push_back({std::move(key), value, {}, true}); }
    void add(std::string key, std::string value) {
        facts.push_back({std::move(key), 0.0, std::move(value), false});
    }
};

}  // namespace tl
