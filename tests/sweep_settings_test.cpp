// The sweep's settings by name, as the front ends give them: each name sets
// its own part, and a name or value the sweep cannot take is refused.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "core/sweep_options.h"

namespace tl {
namespace {

TEST(SweepSettings, EachNameSetsItsPartOrIsRefused) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* name;
        double value;
        std::string problem;
        SweepOptions set;
    } cases[] = {
        {"true_cut", 31.5, "", {31.5, {}}},
        {"target_sensitivity", 0.9, "", {std::nullopt, {{"sensitivity", 0.9}}}},
        {"target_npv", 0.0, "", {std::nullopt, {{"npv", 0.0}}}},
        {"target_ppv", 1.0, "", {std::nullopt, {{"ppv", 1.0}}}},
        {"target_ppv", 1.5, "must be a proportion from 0 to 1", {}},
        {"target_specificity", -0.1, "must be a proportion from 0 to 1", {}},
        {"target_specificity", nan, "must be a proportion from 0 to 1", {}},
        {"target_", 0.5, "is not a sweep setting", {}},
        {"sensitivity", 0.5, "is not a sweep setting", {}},
        {"target_youden", 0.5, "is not a sweep setting", {}},
    };
    for (const auto& c : cases) {
        SweepOptions options;
        EXPECT_EQ(setSweepSetting(options, c.name, c.value), c.problem) << c.name;
        EXPECT_EQ(options, c.set) << c.name;
    }
}

TEST(SweepSettings, NamesEverySettingInTheirOrder) {
    EXPECT_EQ(sweepSettingNames(),
              (std::vector<std::string>{"true_cut", "target_sensitivity", "target_specificity",
                                        "target_ppv", "target_npv"}));
}

}  // namespace
}  // namespace tl
