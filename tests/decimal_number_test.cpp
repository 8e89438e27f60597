// The number reader's C-library route (the WebAssembly build's) reads every
// text as from_chars does: the same verdict and, when a number, the same bits.
// Held to it on edge cases and on every token of the fuzz corpora and of the
// recorded cases' data.
#include "core/decimal_number.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace tl {
namespace {

::testing::AssertionResult sameReading(const std::string& text) {
    double viaFromChars = -1.0, viaStrtod = -1.0;
    const std::errc a = readDecimal(text, viaFromChars);
    const std::errc b = readDecimalByStrtod(text, viaStrtod);
    if (a != b) {
        return ::testing::AssertionFailure()
               << "'" << text << "': from_chars says " << static_cast<int>(a) << ", strtod "
               << static_cast<int>(b);
    }
    if (a == std::errc() && std::memcmp(&viaFromChars, &viaStrtod, sizeof(double)) != 0) {
        return ::testing::AssertionFailure()
               << "'" << text << "': " << viaFromChars << " against " << viaStrtod;
    }
    return ::testing::AssertionSuccess();
}

TEST(DecimalNumber, TheStrtodRouteReadsEdgeCasesAsFromChars) {
    for (const char* text :
         {"0",
          "-0",
          "1",
          "-1",
          ".5",
          "5.",
          "-.5",
          "00012.50",
          "1e5",
          "1E+5",
          "1e-5",
          "1e",
          "e5",
          ".",
          "-",
          "",
          "+1",
          "--1",
          " 1",
          "1 ",
          "0x10",
          "inf",
          "-inf",
          "nan",
          "1,5",
          "1e400",
          "-1e400",
          "1e-400",
          "4.9e-324",
          "2.4e-324",
          "2.2250738585072011e-308",
          "0.1727386193965708",
          "5.548646728760581e-08",
          "9007199254740993",
          "179769313486231580793728971405303415079934132710037826936173778980444968292764750946"
          "649017977587207096330286416692887910946555547851940402630657488671505820681908902000"
          "708383676273854845817711531764475730270069855571366959622842914819860834936475292719"
          "074168444365510704342711559699508093042880177904174497791.9"}) {
        EXPECT_TRUE(sameReading(text));
    }
}

TEST(DecimalNumber, TheStrtodRouteReadsEveryCorpusTokenAsFromChars) {
    std::size_t tokens = 0;
    for (const char* root : {TESSERLINK_FUZZ_DIR "/corpus", TESSERLINK_FIXTURES}) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
            if (!entry.is_regular_file() || entry.file_size() > (1 << 20)) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::stringstream whole;
            whole << in.rdbuf();
            std::string text = whole.str();
            for (char& c : text) {
                if (c == ',' || c == ';' || c == '\t' || c == '\r' || c == '"' || c == '[' ||
                    c == ']' || c == '=')
                    c = ' ';
            }
            std::istringstream words(text);
            for (std::string word; words >> word;) {
                ++tokens;
                EXPECT_TRUE(sameReading(word)) << entry.path();
            }
        }
    }
    EXPECT_GT(tokens, 10000u);
}

}  // namespace
}  // namespace tl
