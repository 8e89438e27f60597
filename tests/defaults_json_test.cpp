// The model choices --defaults offers a front end that writes analysis files:
// each is one the analysis file reader takes, and writing out a default the
// offer names runs the same as leaving it out, as a form relies on.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "input/analysis_file.h"
#include "run/run_json.h"
#include "run/run_options.h"

namespace tl {
namespace {

const nlohmann::json kDefaults = nlohmann::json::parse(defaultsJson());

// The model a file with these [model] and [irt] tables settles on.
ModelChoice settled(const std::string& model, const std::string& irt) {
    const std::string text =
        "[[sets]]\nfile = \"a.dat\"\nitems = 3\npoints = [0, 1]\n"
        "[classification]\nobserved_cuts = [1]\n[model]\n" +
        model + "[irt]\nitems = \"p.csv\"\n" + irt;
    const AnalysisFile file = readAnalysisFile(text, "g.toml");
    return settleOptions(RunRequest{}, &file).analysis.model;
}

// A word of the offer as a TOML string: its JSON text.
std::string quoted(const nlohmann::json& word) {
    return word.dump();
}

TEST(DefaultsJson, EachModelsMethodsAreItsOwnAndItsDefaultIsTheOneNoMethodGives) {
    ASSERT_EQ(kDefaults.at("models").size(), kModelKindNames.size());
    for (const auto& model : kDefaults.at("models")) {
        const std::string kind = "kind = " + quoted(model.at("kind")) + "\n";
        const ModelChoice plain = settled(kind, "");
        EXPECT_EQ(modelMethodName(plain.method), model.at("method").get<std::string>());
        for (const auto& method : model.at("methods")) {
            const ModelChoice chosen = settled(kind + "method = " + quoted(method) + "\n", "");
            EXPECT_EQ(modelKindName(chosen.kind), model.at("kind").get<std::string>());
            EXPECT_EQ(modelMethodName(chosen.method), method.get<std::string>());
        }
    }
    EXPECT_EQ(modelKindName(settled("", "").kind), kDefaults.at("model").get<std::string>());
}

TEST(DefaultsJson, TheSettingsOfferedAreReadAndTheirDefaultsChangeNothing) {
    const std::string irt = "kind = \"irt\"\n";
    const std::string beta = "kind = \"beta-binomial\"\n";
    const nlohmann::json& i = kDefaults.at("irt");
    const nlohmann::json& b = kDefaults.at("beta_binomial");
    struct Offer {
        std::string model;
        std::string key;  // in [irt], else in [model]
        const nlohmann::json& words;
        const nlohmann::json& fallback;
    };
    for (const Offer& o : {Offer{irt, "estimator", i.at("estimators"), i.at("estimator")},
                           Offer{irt, "cuts_on", i.at("cuts_on_choices"), i.at("cuts_on")},
                           Offer{beta, "", b.at("reliabilities"), b.at("reliability")}}) {
        const auto written = [&](const nlohmann::json& word) {
            const std::string line =
                (o.key.empty() ? "reliability" : o.key) + " = " + quoted(word) + "\n";
            return o.key.empty() ? settled(o.model + line, "") : settled(o.model, line);
        };
        std::vector<ModelChoice> seen;
        for (const auto& word : o.words) {
            SCOPED_TRACE(word.get<std::string>());
            const ModelChoice choice = written(word);
            for (const ModelChoice& other : seen) EXPECT_NE(choice, other);
            seen.push_back(choice);
        }
        EXPECT_EQ(written(o.fallback), settled(o.model, ""));
    }
    EXPECT_EQ(settled(irt, "D = " + i.at("D").dump() + "\n"), settled(irt, ""));
}

}  // namespace
}  // namespace tl
