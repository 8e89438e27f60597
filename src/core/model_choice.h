#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/item_parameters.h"

namespace tl {

// The error model a run classifies by. Every model gives the same outputs:
// each describes its units (examinees or population nodes), their weights,
// their distributions over the categories and their true categories, and the
// classification code downstream does the rest.
enum class ModelKind { Multinomial, Irt, BetaBinomial };

// How a model is used. The multinomial has one method; the IRT model has the
// summed-score and Rudner methods, each over the examinees' ability estimates
// (-p) or over the population's quadrature nodes (-d); the beta-binomial model
// has Livingston-Lewis and Hanson-Brennan.
enum class ModelMethod {
    Multinomial,
    SummedP,
    SummedD,
    RudnerP,
    RudnerD,
    LivingstonLewis,
    HansonBrennan
};

inline constexpr std::array<std::string_view, 3> kModelKindNames = {"multinomial", "irt",
                                                                    "beta-binomial"};
inline constexpr std::array<std::string_view, 7> kModelMethodNames = {
    "multinomial", "summed-p", "summed-d", "rudner-p", "rudner-d", "ll", "hb"};

std::optional<ModelKind> modelKindNamed(std::string_view name);
std::optional<ModelMethod> modelMethodNamed(std::string_view name);
std::string_view modelKindName(ModelKind kind);
std::string_view modelMethodName(ModelMethod method);
// The words an analysis file gives for an IRT run's ability estimator (EAP
// or maximum likelihood), for what its cuts are on (the raw composite or
// theta), and for where a beta-binomial run's reliability comes from when it
// is not a number.
inline constexpr std::array<std::string_view, 2> kIrtEstimatorNames = {"eap", "mle"};
inline constexpr std::array<std::string_view, 2> kIrtCutsOnNames = {"raw", "theta"};
inline constexpr std::array<std::string_view, 2> kReliabilitySourceNames = {"alpha", "multinomial"};

// The kind a method belongs to.
ModelKind kindOfMethod(ModelMethod method);
// The method a kind runs when none is named.
ModelMethod defaultMethod(ModelKind kind);
// Whether the method's units are population nodes rather than examinees.
bool methodUsesNodes(ModelMethod method);

// What an IRT run is given beside the scores. Paths are as the run opens them.
struct IrtSettings {
    std::string itemsPath;  // the item-parameter table
    double scaling = 1.0;   // D
    // The data table's columns holding each examinee's ability estimate and
    // its standard error; empty: estimated from the responses.
    std::string thetaColumn;
    std::string thetaSeColumn;
    bool maximumLikelihood = false;  // MLE rather than EAP
    double priorMean = 0.0;
    double priorSd = 1.0;
    int priorPoints = 61;
    // The population of the -d methods: normal with these moments, or the
    // nodes of a table with columns theta and weight.
    std::string populationPath;
    double populationMean = 0.0;
    double populationSd = 1.0;
    int populationPoints = 41;
    bool cutsOnTheta = false;  // the cuts are abilities
    // The items' parameters, read from itemsPath before the run, in set and
    // item order.
    std::vector<irt::ItemParameters> parameters;
    // The nodes of the population table, read from populationPath before the
    // run, their weights summing to 1; empty for the normal population.
    std::vector<double> populationTheta;
    std::vector<double> populationWeight;
    // The cuts on theta, when the cuts were given on it or the method works
    // on it; set before the run.
    std::vector<double> thetaObservedCuts;
    std::vector<double> thetaTrueCuts;

    bool operator==(const IrtSettings&) const = default;
};

// What a beta-binomial run is given beside the scores.
struct BetaBinomialSettings {
    // "alpha" (coefficient or stratified alpha of the item scores),
    // "multinomial" (that model's reliability of the same data), or the value.
    std::string reliabilitySource = "alpha";
    double reliability = 0.0;  // when the source is a number
    std::string trueModel;     // "", "4P", "3P" or "2P"
    std::optional<double> lower, upper;

    bool operator==(const BetaBinomialSettings&) const = default;
};

struct ModelChoice {
    ModelKind kind = ModelKind::Multinomial;
    ModelMethod method = ModelMethod::Multinomial;
    IrtSettings irt;
    BetaBinomialSettings betaBinomial;
    // The model-fit check, the same for every model, merges score bins from
    // the lowest up until each expects at least this many examinees.
    double minExpected = 10.0;
    // Its name among a run's models, and its results folder's (models/NAME);
    // empty: its method's name.
    std::string name;

    bool operator==(const ModelChoice&) const = default;
};

// The most models one run compares side by side.
inline constexpr std::size_t kMaxModels = 8;

// Whether `name` can name a model and its results folder: 1 to 40 ASCII
// letters, digits, '-' and '_'.
bool isModelName(std::string_view name);

// A model's name among a run's models: its own, or its method's.
std::string modelName(const ModelChoice& model);

}  // namespace tl
