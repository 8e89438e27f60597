// The item parameter table: both forms of its columns read to one set of
// parameters, every malformed table refused with its code, and the match with
// the item sets.
#include "input/item_parameter_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/errors.h"
#include "support/program_run.h"

namespace tl {
namespace {

using irt::ItemModel;
using irt::ItemParameters;

std::string writeTable(const std::string& name, const std::string& text) {
    static const std::filesystem::path dir = testing::makeScratchDirectory("item-parameters");
    testing::writeFile(dir / name, text);
    return (dir / name).string();
}

TEST(ItemParameterReader, ReadsEachModelInBothForms) {
    const std::string standard = writeTable("standard.csv",
                                            "Item,Model,a,b,g,u,b1,b2,b3,note\n"
                                            "m1,1pl,,0.5,,,,,,x\n"
                                            "m2,2PL,1.2,-0.3,,,,,,\n"
                                            "m3,3PL,0.9,0.1,0.2,0.95,,,,\n"
                                            "m4,GRM,1.1,,,,-1,0.2,1.5,\n"
                                            "m5,gpcm,0.8,,,,0.3,-0.2,,\n"
                                            "m6,PCM,,,,,0.4,,,\n");
    const double D = 1.702;
    // The same items in the slope-intercept form: a1 = D a, d = -a1 b, graded
    // d_k = -a1 b_k, partial credit d_k = d_(k-1) - a1 b_k.
    const auto si = [&](double a) { return std::to_string(D * a); };
    const std::string intercepts = writeTable(
        "intercepts.csv",
        "item,model,a1,d,g,u,d1,d2,d3\n"
        "m1,1PL,," +
            std::to_string(-D * 0.5) + ",,,,,\n" + "m2,2PL," + si(1.2) + "," +
            std::to_string(D * 1.2 * 0.3) + ",0,1,,,\n" + "m3,3PL," + si(0.9) + "," +
            std::to_string(-D * 0.9 * 0.1) + ",0.2,0.95,,,\n" + "m4,GRM," + si(1.1) + ",,,," +
            std::to_string(D * 1.1) + "," + std::to_string(-D * 1.1 * 0.2) + "," +
            std::to_string(-D * 1.1 * 1.5) + "\n" + "m5,GPCM," + si(0.8) + ",,,," +
            std::to_string(-D * 0.8 * 0.3) + "," + std::to_string(-D * 0.8 * 0.3 + D * 0.8 * 0.2) +
            ",\n" + "m6,PCM,,,,," + std::to_string(-D * 0.4) + ",,\n");
    const std::vector<ItemParameters> want = {
        {"m1", ItemModel::Logistic, 1.0, 0.5, 0.0, 1.0, {}, 1},
        {"m2", ItemModel::Logistic, 1.2, -0.3, 0.0, 1.0, {}, 2},
        {"m3", ItemModel::Logistic, 0.9, 0.1, 0.2, 0.95, {}, 3},
        {"m4", ItemModel::Graded, 1.1, 0.0, 0.0, 1.0, {-1.0, 0.2, 1.5}, 4},
        {"m5", ItemModel::PartialCredit, 0.8, 0.0, 0.0, 1.0, {0.3, -0.2}, 5},
        {"m6", ItemModel::PartialCredit, 1.0, 0.0, 0.0, 1.0, {0.4}, 6},
    };
    for (const std::string& path : {standard, intercepts}) {
        const std::vector<ItemParameters> got = readItemParameters(path, D);
        ASSERT_EQ(got.size(), want.size()) << path;
        for (std::size_t i = 0; i < want.size(); ++i) {
            EXPECT_EQ(got[i].item, want[i].item);
            EXPECT_EQ(got[i].model, want[i].model) << want[i].item;
            EXPECT_NEAR(got[i].a, want[i].a, 1e-5) << want[i].item;
            EXPECT_NEAR(got[i].b, want[i].b, 1e-5) << want[i].item;
            EXPECT_EQ(got[i].c, want[i].c);
            EXPECT_EQ(got[i].u, want[i].u);
            ASSERT_EQ(got[i].steps.size(), want[i].steps.size()) << want[i].item;
            for (std::size_t k = 0; k < want[i].steps.size(); ++k)
                EXPECT_NEAR(got[i].steps[k], want[i].steps[k], 1e-5) << want[i].item;
            EXPECT_EQ(got[i].line, want[i].line);
        }
    }
}

struct BadTable {
    std::string name;
    std::string text;
    std::string code;
    std::string column;
    std::string value;
};

TEST(ItemParameterReader, RefusesEachMalformedTableWithItsCode) {
    const std::vector<BadTable> cases = {
        {"NoItemColumn", "itme,model,b\nm1,2PL,0\n", "irt.columns", "item", ""},
        {"NoModelColumn", "item,b\nm1,0\n", "irt.columns", "model", ""},
        {"BothCAndG", "item,model,b,c,g\nm1,3PL,0,0.1,0.1\n", "irt.columns", "g", ""},
        {"MixedForms", "item,model,a,d\nm1,2PL,1,0\n", "irt.columns", "a", ""},
        {"MixedSteps", "item,model,a1,b2\nm1,GRM,1,0\n", "irt.columns", "b2", ""},
        {"StepGap", "item,model,b1,b3\nm1,GRM,0,1\n", "irt.columns", "b3", ""},
        {"UnknownModel", "item,model,b\nm1,GRN,0\n", "irt.unknown_model", "model", "GRN"},
        {"EmptyModel", "item,model,b\nm1,,0\n", "irt.unknown_model", "model", ""},
        {"EmptyItem", "item,model,b\n,2PL,0\n", "irt.parameter", "item", ""},
        {"NoDifficulty", "item,model,a,b\nm1,2PL,1,\n", "irt.parameter", "b", ""},
        {"NoSteps", "item,model,b,b1\nm1,GRM,,\n", "irt.parameter", "b1", ""},
        {"StepOnDichotomous", "item,model,b,b1\nm1,2PL,0,0.5\n", "irt.parameter", "b1", "0.5"},
        {"DifficultyOnGraded", "item,model,b,b1\nm1,GRM,0,0.5\n", "irt.parameter", "b", "0"},
        {"EmptyStepBetween", "item,model,b1,b2,b3\nm1,GPCM,0,,1\n", "irt.parameter", "b3", "1"},
        {"SlopeOnPartialCredit", "item,model,a,b1\nm1,PCM,1.3,0\n", "irt.parameter", "a", "1.3"},
        {"AsymptoteOnTwoParameter", "item,model,b,c\nm1,2PL,0,0.2\n", "irt.parameter", "c", "0.2"},
        {"ZeroInterceptSlope", "item,model,a1,d\nm1,2PL,0,0.5\n", "irt.parameter", "a1", "0"},
        {"DuplicateItem", "item,model,b\nm1,2PL,0\nm1,2PL,1\n", "irt.duplicate_item", "item", "m1"},
        {"LowerAboveOne", "item,model,b,c\nm1,3PL,0,1.2\n", "irt.asymptote", "c", "1.2"},
        {"UpperBelowZero", "item,model,b,u\nm1,3PL,0,-0.1\n", "irt.asymptote", "u", "-0.1"},
        {"LowerNotBelowUpper", "item,model,b,c,u\nm1,3PL,0,0.6,0.5\n", "irt.asymptote", "c", "0.6"},
        {"BoundariesDecrease", "item,model,b1,b2\nm1,GRM,0.5,0.1\n", "irt.boundaries", "b2", "0.1"},
        {"BoundariesTie", "item,model,b1,b2,b3\nm1,GRM,-1,0.4,0.4\n", "irt.boundaries", "b3",
         "0.4"},
        {"InterceptsRise", "item,model,a1,d1,d2\nm1,GRM,1,0.5,1\n", "irt.boundaries", "d2", "1"},
        {"NotANumber", "item,model,b\nm1,2PL,x\n", "input.malformed", "", ""},
    };
    for (const BadTable& c : cases) {
        const std::string path = writeTable(c.name + ".csv", c.text);
        try {
            readItemParameters(path, 1.0);
            ADD_FAILURE() << c.name << ": read";
        } catch (const InputError& error) {
            const Finding& f = error.finding();
            EXPECT_EQ(findingCodeName(f.code), c.code) << c.name << ": " << f.text;
            EXPECT_EQ(f.column, c.column) << c.name;
            EXPECT_EQ(f.value, c.value) << c.name;
            EXPECT_EQ(f.text.find('\n'), std::string::npos);
            EXPECT_NE(f.text.find(path), std::string::npos) << f.text;
        }
    }
}

TEST(ItemParameterReader, NamesTheMissingFileAndAnUnknownFormat) {
    EXPECT_THROW(readItemParameters(writeTable("x.params", "item,model,b\n"), 1.0), InputError);
    EXPECT_THROW(readItemParameters("/nonexistent/params.csv", 1.0), InputError);
}

TEST(ItemParameterCheck, MatchesSetsAndFindsWhatDoesNotFit) {
    const std::string path = writeTable("sets.csv",
                                        "item,model,a,b,b1,b2\n"
                                        "r1,2PL,1,0,,\n"
                                        "r2,2PL,-0.4,0,,\n"
                                        "w1,GRM,1,,0,1\n"
                                        "spare,2PL,1,0,,\n");
    const std::vector<ItemParameters> table = readItemParameters(path, 1.0);
    const MatchedParameters matched =
        checkItemParameters(table, {{"reading", {"r2", "r1"}, 2}, {"writing", {"w1"}, 3}}, path);
    ASSERT_EQ(matched.sets.size(), 2u);
    EXPECT_EQ(matched.sets[0][0].item, "r2");
    EXPECT_EQ(matched.sets[0][1].item, "r1");
    EXPECT_EQ(matched.sets[1][0].steps, (std::vector<double>{0, 1}));
    ASSERT_EQ(matched.warnings.size(), 2u);
    EXPECT_EQ(findingCodeName(matched.warnings[0].code), "irt.slope");
    EXPECT_EQ(matched.warnings[0].line, 2);
    EXPECT_EQ(matched.warnings[0].severity, Severity::Warning);
    EXPECT_EQ(findingCodeName(matched.warnings[1].code), "irt.extra_item");
    EXPECT_EQ(matched.warnings[1].value, "spare");

    struct Refusal {
        std::vector<ParameterSet> sets;
        std::string code, closest;
    };
    for (const Refusal& r : {Refusal{{{"reading", {"r1", "r3"}, 2}}, "irt.missing_item", "r1"},
                             Refusal{{{"reading", {"r1", "zzzzzz"}, 2}}, "irt.missing_item", ""},
                             Refusal{{{"writing", {"w1"}, 4}}, "irt.category_count", ""}}) {
        try {
            checkItemParameters(table, r.sets, path);
            ADD_FAILURE() << r.code;
        } catch (const InputError& error) {
            EXPECT_EQ(findingCodeName(error.finding().code), r.code) << error.what();
            EXPECT_EQ(error.finding().closest, r.closest) << error.what();
        }
    }
}

}  // namespace
}  // namespace tl
