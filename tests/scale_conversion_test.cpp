// The raw-to-scale conversion table: reading its CSV, the checks against the
// composite score list, scale scores, and cuts written on the scale.
#include "plan/scale_conversion.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/errors.h"

namespace tl {
namespace {

CompositeScale scaleOf(std::int32_t low, std::int32_t high) {
    CompositeScale s{low, high, {}};
    for (std::int32_t x = low; x <= high; ++x) s.compositeScores.push_back(x);
    return s;
}

std::string errorOf(const std::string& csv, const CompositeScale& composite) {
    try {
        scaleConversion(readScaleTable(csv, "conversion.csv"), composite);
    } catch (const InputError& e) {
        return e.what();
    }
    return "";
}

TEST(ScaleTable, ReadsTheRawAndScaleColumnsInAnyOrder) {
    const ScaleTable t =
        readScaleTable("\xEF\xBB\xBFscale, note ,raw\r\n100,a,0\r\n\r\n 110 ,b, 1\r\n", "t.csv");
    EXPECT_EQ(t.raw, (std::vector<double>{0, 1}));
    EXPECT_EQ(t.scale, (std::vector<double>{100, 110}));
    EXPECT_EQ(t.lines, (std::vector<std::int64_t>{2, 4}));
}

struct BadCase {
    const char* name;
    const char* csv;
    const char* message;
};

void PrintTo(const BadCase& c, std::ostream* os) {
    *os << c.name;
}

class BadTable : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadTable, IsRefusedNamingWhereAndWhat) {
    EXPECT_EQ(errorOf(GetParam().csv, scaleOf(0, 2)), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadTable,
    ::testing::Values(
        BadCase{"no_header", "0,100\n",
                "conversion.csv, line 1: the header row must name the columns raw and scale"},
        BadCase{"not_a_number", "raw,scale\n0,100\n1,ten\n",
                "conversion.csv, line 3, column scale: \"ten\" is not a number"},
        BadCase{"short_row", "raw,scale\n0\n",
                "conversion.csv, line 2, column scale: the cell is missing"},
        BadCase{"missing_score", "raw,scale\n0,100\n2,120\n",
                "conversion.csv: the raw score 1 has no scale score; give every composite "
                "score from 0 to 2 one row"},
        BadCase{"given_twice", "raw,scale\n0,100\n1,110\n1,111\n2,120\n",
                "conversion.csv, line 4: the raw score 1 is given twice (first on line 3)"},
        BadCase{"off_the_list", "raw,scale\n0,100\n1,110\n2,120\n3,130\n",
                "conversion.csv, line 5: the raw score 3 is not a composite score (they run "
                "from 0 to 2)"},
        BadCase{"empty", "", "conversion.csv: no header row naming raw and scale"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScaleConversion, MapsScoresAndCutsAndFlagsADecreasingTable) {
    const CompositeScale composite = scaleOf(0, 3);
    const ScaleConversion c = scaleConversion(
        readScaleTable("raw,scale\n3,130\n0,100\n1,100\n2,125\n", "c.csv"), composite);
    EXPECT_FALSE(c.decreasing);
    EXPECT_EQ(c.scale, (std::vector<double>{100, 100, 125, 130}));
    // Rounded half away from zero, then looked up.
    EXPECT_EQ(c.scaleScoreOf(1.5), 125);
    EXPECT_EQ(c.scaleScoreOf(1.49), 100);
    EXPECT_TRUE(std::isnan(c.scaleScoreOf(3.5)));
    // The lowest score whose scale score reaches the cut.
    EXPECT_EQ(rawCutOf(c, 100), 0);
    EXPECT_EQ(rawCutOf(c, 101), 2);
    EXPECT_EQ(rawCutOf(c, 130), 3);
    EXPECT_THROW(rawCutOf(c, 131), InputError);

    const ScaleConversion down = scaleConversion(
        readScaleTable("raw,scale\n0,100\n1,90\n2,120\n3,130\n", "d.csv"), composite);
    EXPECT_TRUE(down.decreasing);
}

TEST(ScaleConversion, TheIdentityGivesRawCutsAndRoundedComposites) {
    const CompositeScale composite = scaleOf(-2, 40);
    ScaleConversion identity;  // s(x) = x
    identity.minComposite = composite.minComposite;
    identity.scale = composite.compositeScores;
    for (double cut : {-2.0, 0.0, 17.0, 40.0}) EXPECT_EQ(rawCutOf(identity, cut), cut);
    for (double x : {-1.5, -0.4, 12.5, 12.49, 39.6})
        EXPECT_EQ(identity.scaleScoreOf(x), x < 0 ? -std::trunc(-x + 0.5) : std::trunc(x + 0.5));
}

}  // namespace
}  // namespace tl
