// Integers and reals as the control card and the data files write them.
#include "input/number_syntax.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace tl {
namespace {

TEST(NumberSyntax, Integers) {
    struct Case {
        const char* text;
        ParseStatus status;
        std::int32_t value;
    };
    const Case cases[] = {
        {"7", ParseStatus::Ok, 7},
        {"+7", ParseStatus::Ok, 7},
        {"-7", ParseStatus::Ok, -7},
        {"007", ParseStatus::Ok, 7},
        {"-0", ParseStatus::Ok, 0},
        {"2147483647", ParseStatus::Ok, 2147483647},
        {"-2147483648", ParseStatus::Ok, INT32_MIN},
        {"2147483648", ParseStatus::OutOfRange, 0},
        {"-2147483649", ParseStatus::OutOfRange, 0},
        {"99999999999", ParseStatus::OutOfRange, 0},
        {"99999999999999999999999", ParseStatus::OutOfRange, 0},
        {"1.5", ParseStatus::NotANumber, 0},
        {"1.0", ParseStatus::NotANumber, 0},
        {"1e2", ParseStatus::NotANumber, 0},
        {"", ParseStatus::NotANumber, 0},
        {"-", ParseStatus::NotANumber, 0},
        {"+-1", ParseStatus::NotANumber, 0},
        {"12a", ParseStatus::NotANumber, 0},
        {"ten", ParseStatus::NotANumber, 0},
    };
    for (const Case& c : cases) {
        std::int32_t value = -99;
        EXPECT_EQ(parseInteger(c.text, value), c.status) << c.text;
        EXPECT_EQ(value, c.status == ParseStatus::Ok ? c.value : -99) << c.text;
    }
}

TEST(NumberSyntax, Reals) {
    struct Case {
        const char* text;
        ParseStatus status;
        double value;
    };
    const Case cases[] = {
        {"1", ParseStatus::Ok, 1.0},           {"1.0", ParseStatus::Ok, 1.0},
        {".5", ParseStatus::Ok, 0.5},          {"5.", ParseStatus::Ok, 5.0},
        {"-2.5e3", ParseStatus::Ok, -2500.0},  {"2.5E-1", ParseStatus::Ok, 0.25},
        {"1.5D0", ParseStatus::Ok, 1.5},       {"1.5d0", ParseStatus::Ok, 1.5},
        {"5.D-1", ParseStatus::Ok, 0.5},       {"+2", ParseStatus::Ok, 2.0},
        {"+.5", ParseStatus::Ok, 0.5},         {"0.1", ParseStatus::Ok, 0.1},
        {"1e400", ParseStatus::OutOfRange, 0}, {"-1e400", ParseStatus::OutOfRange, 0},
        {"text", ParseStatus::NotANumber, 0},  {"1.2.3", ParseStatus::NotANumber, 0},
        {"e5", ParseStatus::NotANumber, 0},    {".", ParseStatus::NotANumber, 0},
        {"1e", ParseStatus::NotANumber, 0},    {"1e+", ParseStatus::NotANumber, 0},
        {"nan", ParseStatus::NotANumber, 0},   {"inf", ParseStatus::NotANumber, 0},
        {"-inf", ParseStatus::NotANumber, 0},  {"0x10", ParseStatus::NotANumber, 0},
        {"1,5", ParseStatus::NotANumber, 0},   {"", ParseStatus::NotANumber, 0},
        {"+", ParseStatus::NotANumber, 0},
    };
    for (const Case& c : cases) {
        double value = -99.0;
        EXPECT_EQ(parseReal(c.text, value), c.status) << c.text;
        EXPECT_EQ(value, c.status == ParseStatus::Ok ? c.value : -99.0) << c.text;
    }
    double minusZero = 1.0;
    ASSERT_EQ(parseReal("-0", minusZero), ParseStatus::Ok);
    EXPECT_TRUE(std::signbit(minusZero));
    double plusZero = -1.0;
    ASSERT_EQ(parseReal("+0", plusZero), ParseStatus::Ok);
    EXPECT_FALSE(std::signbit(plusZero));
}

// The shortcut for whole numbers must give exactly the double of the general
// conversion, including above 2^53 where the value has to be rounded.
TEST(NumberSyntax, ShortWholeNumbersMatchTheGeneralConversion) {
    std::vector<std::string> texts = {"0",
                                      "-0",
                                      "+0",
                                      "000",
                                      "-00",
                                      "9007199254740993",
                                      "9999999999999999",
                                      "-999999999999999",
                                      "18014398509481983",
                                      "12345678901234567890"};
    std::mt19937_64 random(20240607);
    for (int i = 0; i < 20000; ++i) {
        std::string digits = std::to_string(random() % 10'000'000'000'000'000'000ULL);
        digits.resize(1 + random() % digits.size());
        const int sign = static_cast<int>(random() % 3);
        texts.push_back((sign == 0 ? "" : sign == 1 ? "-" : "+") + digits);
    }
    for (const std::string& text : texts) {
        double fast = 0.0;
        ASSERT_EQ(parseReal(text, fast), ParseStatus::Ok) << text;
        const std::string_view general = text[0] == '+' ? std::string_view(text).substr(1) : text;
        double reference = 0.0;
        std::from_chars(general.data(), general.data() + general.size(), reference);
        EXPECT_EQ(std::bit_cast<std::uint64_t>(fast), std::bit_cast<std::uint64_t>(reference))
            << text;
    }
}

}  // namespace
}  // namespace tl
