// Fixed-width report fields: rounding, signs, leading zeros, overflow.
#include "core/number_field.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

struct RealCase {
    double value;
    int width;
    int decimals;
    const char* text;
};

TEST(RealField, FollowsTheTable) {
    const RealCase cases[] = {
        // The layouts of the report.
        {25.5, 9, 3, "   25.500"},
        {1.0, 6, 2, "  1.00"},
        {0.85, 8, 5, " 0.85000"},
        {1.0 - 0.85, 8, 5, " 0.15000"},
        {-0.05, 8, 5, "-0.05000"},
        {23.0, 9, 2, "    23.00"},
        {0.9, 10, 5, "   0.90000"},
        {-39.0, 12, 5, "   -39.00000"},
        {3.0, 5, 1, "  3.0"},
        // Too wide: asterisks.
        {1000.0, 6, 2, "******"},
        {999.99, 6, 2, "999.99"},
        {999.995, 6, 2, "******"},  // the double lies above the tie and rounds to 1000.00
        {-100.0, 6, 2, "******"},
        {1e20, 12, 5, "************"},
        // Exact ties round away from zero.
        {0.015625, 8, 5, " 0.01563"},
        {-0.015625, 8, 5, "-0.01563"},
        {0.125, 6, 2, "  0.13"},
        {-0.125, 6, 2, " -0.13"},
        {0.25, 5, 1, "  0.3"},
        {1.03125, 6, 4, "1.0313"},
        {12345678.125, 12, 2, " 12345678.13"},
        // Near ties go by the double's exact value.
        {std::nextafter(0.015625, 0.0), 8, 5, " 0.01562"},
        {std::nextafter(0.015625, 1.0), 8, 5, " 0.01563"},
        {2.675, 6, 2, "  2.67"},        // 2.67499999...
        {1.000025, 8, 5, " 1.00002"},   // 1.0000249999...
        {1.000005, 8, 5, " 1.00001"},   // 1.0000050000...03
        {-0.000005, 8, 5, "-0.00001"},  // -0.00000500000000000000040...
        // Negative values that round to zero lose their sign.
        {-0.000001, 8, 5, " 0.00000"},
        {-0.0, 8, 5, " 0.00000"},
        {-0.004, 6, 2, "  0.00"},
        // The leading zero gives way before the field overflows.
        {-0.5, 7, 5, "-.50000"},
        {0.5, 6, 5, ".50000"},
        {0.5, 7, 5, "0.50000"},
        {-0.05, 7, 5, "-.05000"},
        {-0.5, 6, 5, "******"},
        // Values that are not numbers, right-aligned.
        {kNaN, 8, 5, "     NaN"},
        {kInf, 8, 5, "     Inf"},
        {-kInf, 8, 5, "    -Inf"},
        {kNaN, 2, 1, "**"},
        {-kInf, 3, 1, "***"},
    };
    for (const RealCase& c : cases) {
        EXPECT_EQ(tl::realField(c.value, c.width, c.decimals), c.text)
            << c.value << " width " << c.width << " decimals " << c.decimals;
    }
}

// The page and its figures print fixedDecimals: the field's text, unpadded
// (number_field_rounding_test checks every rounding against the exact value).
TEST(FixedDecimals, RoundsATieAwayAndDropsTheSignOfZero) {
    EXPECT_EQ(tl::fixedDecimals(0.015625, 5), "0.01563");
    EXPECT_EQ(tl::fixedDecimals(-0.015625, 5), "-0.01563");
    EXPECT_EQ(tl::fixedDecimals(-1e-9, 5), "0.00000");
    EXPECT_EQ(tl::fixedDecimals(-0.05, 5), "-0.05000");  // the leading zero stays
    EXPECT_EQ(tl::fixedDecimals(kNaN, 5), "NaN");
}

TEST(IntegerField, FollowsTheTable) {
    struct Case {
        std::int64_t value;
        int width;
        const char* text;
    };
    const Case cases[] = {
        {5, 3, "  5"},           {-12, 3, "-12"},          {0, 1, "0"},
        {1, 7, "      1"},       {1000, 3, "***"},         {-100, 3, "***"},
        {1234567, 7, "1234567"}, {12345678, 7, "*******"},
    };
    for (const Case& c : cases) EXPECT_EQ(tl::integerField(c.value, c.width), c.text) << c.value;
}

TEST(TextField, PadsToThirtyAndKeepsLongerNamesWhole) {
    const std::string thirty(30, 'x');
    const std::string longer = "a_data_file_name_of_thirty_five.dat";
    struct Case {
        std::string text;
        std::string field;
    };
    const Case cases[] = {
        {"abc", "abc" + std::string(27, ' ')},
        {"", std::string(30, ' ')},
        {"form_A essay.DAT", "form_A essay.DAT" + std::string(14, ' ')},
        {thirty, thirty},
        {longer, longer},
    };
    for (const Case& c : cases) EXPECT_EQ(tl::textField(c.text, 30), c.field) << c.text;
}

// One text of a number for messages, analysis files and numeric IDs: readable
// digits are printf's %.15g; exact digits read back to the bit.
TEST(QuotedNumber, FollowsTheTable) {
    struct Case {
        double value;
        const char* readable;
        const char* exact;
    };
    const Case cases[] = {
        {400, "400", "400"},
        {-12, "-12", "-12"},
        {-0.0, "-0", "-0"},
        {22.5, "22.5", "22.5"},
        {0.1, "0.1", "0.1"},
        {0.1 + 0.2, "0.3", "0.30000000000000004"},
        {1e-05, "1e-05", "1e-05"},
        {1e15, "1e+15", "1e+15"},
        {1234567890123456.0, "1.23456789012346e+15", "1234567890123456"},
        {2.0 / 3.0, "0.666666666666667", "0.6666666666666666"},
        {kInf, "inf", "inf"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(tl::quotedNumber(c.value), c.readable) << c.exact;
        EXPECT_EQ(tl::quotedNumber(c.value, tl::kExactDigits), c.exact) << c.exact;
        char printed[40];
        std::snprintf(printed, sizeof printed, "%.15g", c.value);
        EXPECT_EQ(tl::quotedNumber(c.value), printed) << c.exact;
    }
}

}  // namespace
