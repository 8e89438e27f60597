// Plain one-line records are taken by a quick path and everything else by the
// general free-format reader; the two must give the same values and keep the
// line numbers of diagnostics right.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/errors.h"
#include "input/record_reader.h"
#include "model/set_loader.h"

namespace tl {
namespace {

ItemSet threePointSet() {
    ItemSet set;
    set.weight = 1.5;
    set.itemCount = 4;
    set.scorePointCount = 3;
    set.scorePoints = {0.0, 1.0, 2.0};
    set.highestScorePoint = 2.0;
    return set;
}

struct Loaded {
    std::vector<double> composite;
    std::vector<std::vector<double>> proportions;
};

Loaded load(const std::string& text, int examinees) {
    Loaded result;
    result.composite.assign(static_cast<std::size_t>(examinees), 0.0);
    const ProportionProfiles profiles =
        loadItemSet(text, "a.dat", threePointSet(), examinees, result.composite, false);
    for (int e = 0; e < examinees; ++e) {
        const auto p = profiles.proportions(profiles.profileOf(static_cast<std::size_t>(e)));
        result.proportions.emplace_back(p.begin(), p.end());
    }
    return result;
}

// The record 0 1 2 2 written in every layout the reader takes, one after another.
TEST(DataFilePlainRecords, EveryLayoutGivesThePlainLinesValues) {
    const std::vector<std::string> layouts = {
        "0 1 2 2\n",          // plain
        "  0\t1 2  2   \n",   // blanks and tabs around
        "0 1 2 2 9 x 'y'\n",  // the rest of the line is ignored, whatever it holds
        "0 1 2 2\r\n",        // CR LF
        "0 1 2 2\r",          // a lone CR
        "0.0 1. +2 2e0\n",    // other spellings of the same numbers
        "0 1 2 2.0D0\n",      // a D exponent
        "0,1,2,2\n",          // commas
        "0 1 2*2\n",          // a repeat
        "0 1\n2 2\n",         // a record over two lines
        "\n\n0 1 2 2\n",      // blank lines before a record
        "0 1 2 2 / 5\n",      // a slash after the last value
    };
    std::string text;
    for (const std::string& layout : layouts) text += layout;
    const int n = static_cast<int>(layouts.size());
    EXPECT_EQ(countExaminees(text, "a.dat", 4), n);
    const Loaded loaded = load(text, n);
    for (int e = 0; e < n; ++e) {
        EXPECT_EQ(loaded.composite[e], 7.5) << layouts[e];
        EXPECT_EQ(loaded.proportions[e], (std::vector<double>{0.25, 0.25, 0.5})) << layouts[e];
    }
}

TEST(DataFilePlainRecords, DiagnosticsNameTheRightLine) {
    const struct {
        std::string text;
        int examinees;
        const char* where;
    } cases[] = {
        {"0 1 2 2\n0 1 2 2\r\n1 1 1 1\r0 1 x 2\n", 4, "a.dat:4: record 4, item 3"},
        {"0 1 2 2\n0 1\n2 2\n0 1 2-2\n", 3, "a.dat:4: record 3, item 3"},
        {"0 1 2 2\n\n\n0 1 ,,2\n", 2, "a.dat:4: record 2 gives no score for item 3"},
        {"0 1 2 2\n0 1 2 2\n1 1", 3, "a.dat:3: the file ends in record 3"},
    };
    for (const auto& c : cases) {
        try {
            load(c.text, c.examinees);
            ADD_FAILURE() << "no diagnostic for " << c.text;
        } catch (const InputError& error) {
            EXPECT_NE(std::string(error.what()).find(c.where), std::string::npos)
                << error.what() << " for " << c.text;
        }
    }
}

}  // namespace
}  // namespace tl
