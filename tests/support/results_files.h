#pragma once

// The runs the results-file tests read: recorded cases and bundled examples,
// each analysed once per test process.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "classify/precision_fields.h"
#include "results/results.h"
#include "support/card_folder.h"
#include "support/program_run.h"

namespace tl::testing {

// "fixture/valid-02" or "example/gcbs".
inline std::filesystem::path runFolder(const std::string& run) {
    const auto slash = run.find('/');
    const std::string kind = run.substr(0, slash), name = run.substr(slash + 1);
    return std::filesystem::path(kind == "fixture" ? TESSERLINK_FIXTURES : TESSERLINK_EXAMPLES) /
           name;
}

inline const Results& analysedRun(const std::string& run) {
    static std::map<std::string, Results> cache;
    auto found = cache.find(run);
    if (found == cache.end()) found = cache.emplace(run, analyzeCardFolder(runFolder(run))).first;
    return found->second;
}

// One set, several sets, bias correction, several categories, and every example.
inline std::vector<std::string> resultsRuns() {
    std::vector<std::string> runs = {"fixture/valid-02", "fixture/bias-01", "fixture/shape-40x0123",
                                     "fixture/bias-06"};
    for (const std::string& name : subfolderNames(TESSERLINK_EXAMPLES))
        runs.push_back("example/" + name);
    return runs;
}

// A copy of a run with a bootstrap summary, every spread distinct, and an
// undefined kappa (as when chance agreement is 1), for the layouts that only
// such runs have.
inline Results withBootstrapAndUndefinedKappa(Results r) {
    r.classification.overall.kappa = std::nan("");
    BootstrapSummary b;
    b.replicates = 200;
    b.seed = 77;
    double next = 0.001;
    auto fill = [&next](IndexSetSpread& set) {
        for (IndexSpread* s : {&set.consistency, &set.chance, &set.kappa, &set.accuracy,
                               &set.falsePositive, &set.falseNegative}) {
            s->se = next / 3, s->ciLow = 0.5 - next, s->ciHigh = 0.5 + next / 7;
            s->replicatesUndefined = static_cast<std::int64_t>(next * 1000);
            next += 0.001;
        }
    };
    auto fillOne = [&next](IndexSpread& s) {
        s.se = next / 3, s.ciLow = 0.5 - next, s.ciHigh = 0.5 + next / 7;
        s.replicatesUndefined = static_cast<std::int64_t>(next * 1000);
        next += 0.001;
    };
    auto fillFields = [&fillOne](auto& spreads, const auto& fields) {
        for (const auto& field : fields) fillOne(spreads.*field.spread);
    };
    fill(b.overall);
    b.cuts.resize(r.tables->cuts.size());
    for (IndexSetSpread& cut : b.cuts) fill(cut);
    b.cutDiagnostics.resize(r.tables->cuts.size());
    for (CutDiagnosticsSpread& cut : b.cutDiagnostics) fillFields(cut, kCutDiagnosticsFields);
    b.categories.resize(static_cast<std::size_t>(r.categoryCount()));
    for (CategoryDiagnosticsSpread& category : b.categories)
        fillFields(category, kCategoryDiagnosticsFields);
    fillFields(b.agreement, kAgreementFields);
    fillOne(b.reliability);
    b.overall.kappa.se = std::nan("");
    r.bootstrap = b;
    return r;
}

// The shortest text that reads back as `value` ("37.5", "9").
inline std::string shortestOf(double value) {
    char text[64];
    if (value == std::floor(value) && std::abs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.0f", value);
        return text;
    }
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    return text;
}

// A real of results.json: null stands for not-a-number.
inline double jsonReal(const nlohmann::json& value) {
    return value.is_null() ? std::nan("") : value.get<double>();
}

// The very same double (both not-a-number counts as the same).
inline ::testing::AssertionResult sameDouble(double expected, double got) {
    const bool same = (std::isnan(expected) && std::isnan(got)) ||
                      (expected == got && std::signbit(expected) == std::signbit(got));
    if (same) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << std::hexfloat << "expected " << expected << ", got " << got;
}

// The value at a dotted path of results.json ("cuts.0.kappa").
inline const nlohmann::json& jsonAt(const nlohmann::json& doc, const std::string& path) {
    const nlohmann::json* at = &doc;
    std::size_t begin = 0;
    while (begin <= path.size()) {
        const std::size_t end = std::min(path.find('.', begin), path.size());
        const std::string part = path.substr(begin, end - begin);
        at = at->is_array() ? &at->at(std::stoul(part)) : &at->at(part);
        begin = end + 1;
    }
    return *at;
}

}  // namespace tl::testing
