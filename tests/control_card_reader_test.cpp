// Reading the control card (reads 1 to 13), the score ranges derived from it
// and the check of the observed cut scores against the composite range.
#include "input/control_card_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/errors.h"
#include "plan/score_ranges.h"
#include "support/card_text.h"

namespace tl {
namespace {

using testing::CardText;
using testing::SetText;

const std::string kTwoSetExample =
    "$Number of item sets\n"
    "2\n"
    "$Set1: weight, #items, #score points, score points, data file\n"
    "1.0\n20\n2\n0 1\nmc.dat\n"
    "$Set2: weight, #items, #score points, score points, data file\n"
    "2.0\n5\n4\n0 1 2 3\ncr.dat\n"
    "$#categories, observed cut scores, true cut scores\n"
    "3\n15.5 35.5\n15.5 35.5\n"
    "$Conditional results (Yes=1, No=0)\n1\n"
    "$Output file\nresult.out\n"
    "$Bias correction (Yes=1, No=0)\n0\n";

TEST(ControlCardReader, ReadsTheWorkedTwoSetExample) {
    ControlCard card = readControlCard(kTwoSetExample, "card.txt");
    ASSERT_EQ(card.setCount, 2);
    const ItemSet& mc = card.itemSets[0];
    const ItemSet& cr = card.itemSets[1];
    EXPECT_EQ(mc.weight, 1.0);
    EXPECT_EQ(mc.itemCount, 20);
    EXPECT_EQ(mc.scorePoints, (std::vector<double>{0, 1}));
    EXPECT_EQ(mc.dataFile, "mc.dat");
    EXPECT_EQ(cr.weight, 2.0);
    EXPECT_EQ(cr.itemCount, 5);
    EXPECT_EQ(cr.scorePointCount, 4);
    EXPECT_EQ(cr.scorePoints, (std::vector<double>{0, 1, 2, 3}));
    EXPECT_EQ(cr.dataFile, "cr.dat");
    EXPECT_EQ(card.categoryCount, 3);
    EXPECT_EQ(card.observedCuts, (std::vector<double>{15.5, 35.5}));
    EXPECT_EQ(card.trueCuts, (std::vector<double>{15.5, 35.5}));
    EXPECT_EQ(card.conditionalResults, 1);
    EXPECT_EQ(card.outputFile, "result.out");
    EXPECT_EQ(card.biasCorrection, 0);

    const ScoreScales scales = deriveScoreScales(card);
    const CompositeScale& scale = scales.composite;
    EXPECT_EQ(scales.sets[0].rawScores.size(), 21u);
    EXPECT_EQ(scales.sets[1].rawScores.size(), 16u);
    EXPECT_EQ(scales.sets[1].rawScores.back(), 15.0);
    EXPECT_EQ(scale.minComposite, 0);
    EXPECT_EQ(scale.maxComposite, 50);
    EXPECT_EQ(scale.compositeScores.size(), 51u);
    EXPECT_EQ(scale.compositeScores.back(), 50.0);
    EXPECT_NO_THROW(checkCutScores(card, scale));
}

// A default card (one set of four items scored 0, 1, 2) with one edit.
CardText edited(const std::function<void(CardText&, SetText&)>& edit) {
    CardText text;
    edit(text, text.sets[0]);
    return text;
}

struct LayoutCase {
    const char* what;
    std::function<void(CardText&, SetText&)> edit;
    std::function<void(const ControlCard&, const ItemSet&)> check;
};

TEST(ControlCardReader, ReadsFreeFormatLayouts) {
    using Points = std::vector<double>;
    const LayoutCase cases[] = {
        {"score points spread over two lines, the name on the next line",
         [](CardText&, SetText& s) {
             s.pointCount = "4";
             s.points = "0 1\n2 3";
             s.dataFile = "cr.dat";
         },
         [](const ControlCard&, const ItemSet& s) {
             EXPECT_EQ(s.scorePoints, (Points{0, 1, 2, 3}));
             EXPECT_EQ(s.dataFile, "cr.dat");
         }},
        {"comments after the values",
         [](CardText& t, SetText& s) {
             s = {"2.0 weight", "5 items", "3 points", "0 1 2 points 7 8", "cr.dat the data"};
             t.categories = "2 two of them";
             t.conditional = "1 yes";
             t.bias = "1 yes";
         },
         [](const ControlCard& c, const ItemSet& s) {
             EXPECT_EQ(s.weight, 2.0);
             EXPECT_EQ(s.itemCount, 5);
             EXPECT_EQ(s.scorePoints, (Points{0, 1, 2}));
             EXPECT_EQ(s.dataFile, "cr.dat");
             EXPECT_EQ(c.categoryCount, 2);
             EXPECT_EQ(c.conditionalResults, 1);
             EXPECT_EQ(c.biasCorrection, 1);
         }},
        {"quoted names keep blanks, commas and slashes",
         [](CardText& t, SetText& s) {
             s.dataFile = "'my dir/set, one.dat'";
             t.outputFile = "\"out put/r.txt\"";
         },
         [](const ControlCard& c, const ItemSet& s) {
             EXPECT_EQ(s.dataFile, "my dir/set, one.dat");
             EXPECT_EQ(c.outputFile, "out put/r.txt");
         }},
        {"unquoted names end at a slash or a blank",
         [](CardText& t, SetText& s) {
             s.dataFile = "dir/name.dat";
             t.outputFile = "my report.txt";
         },
         [](const ControlCard& c, const ItemSet& s) {
             EXPECT_EQ(s.dataFile, "dir");
             EXPECT_EQ(c.outputFile, "my");
         }},
        {"trailing blanks inside quotes are not part of a name",
         [](CardText&, SetText& s) { s.dataFile = "'a.dat   '"; },
         [](const ControlCard&, const ItemSet& s) { EXPECT_EQ(s.dataFile, "a.dat"); }},
        {"names longer than 30 characters are kept whole",
         [](CardText& t, SetText&) { t.outputFile = "a_report_name_of_forty_characters_long.x"; },
         [](const ControlCard& c, const ItemSet&) {
             EXPECT_EQ(c.outputFile, "a_report_name_of_forty_characters_long.x");
         }},
        {"one category still consumes the two cut lines",
         [](CardText& t, SetText&) {
             t.categories = "1";
             t.observedCuts = "not read";
             t.trueCuts = "not read either";
         },
         [](const ControlCard& c, const ItemSet&) {
             EXPECT_TRUE(c.observedCuts.empty());
             EXPECT_TRUE(c.trueCuts.empty());
             EXPECT_EQ(c.outputFile, "out.txt");
         }},
        {"the lowest category count reads no cuts (and allocates none)",
         [](CardText& t, SetText&) { t.categories = "-2147483648"; },
         [](const ControlCard& c, const ItemSet&) {
             EXPECT_EQ(c.categoryCount, INT32_MIN);
             EXPECT_TRUE(c.observedCuts.empty());
             EXPECT_TRUE(c.trueCuts.empty());
         }},
        {"repeats, D exponents and a slash in the cut lines",
         [](CardText& t, SetText&) {
             t.categories = "4";
             t.observedCuts = "2*1.5D0 3";
             t.trueCuts = "2 /";
         },
         [](const ControlCard& c, const ItemSet&) {
             EXPECT_EQ(c.observedCuts, (Points{1.5, 1.5, 3}));
             EXPECT_EQ(c.trueCuts, (Points{2, 0, 0}));
         }},
        {"sixteen score points: fifteen kept, the sixteenth is the highest",
         [](CardText&, SetText& s) {
             s.pointCount = "16";
             s.points = "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14\n15";
         },
         [](const ControlCard&, const ItemSet& s) {
             EXPECT_EQ(s.scorePointCount, 16);
             EXPECT_EQ(s.scorePoints.size(), 15u);
             EXPECT_EQ(s.scorePoints.back(), 14.0);
             EXPECT_EQ(s.highestScorePoint, 15.0);
             EXPECT_EQ(s.dataFile, "a.dat");
         }},
        {"CR LF line ends", [](CardText& t, SetText&) { t.lineEnd = "\r\n"; },
         [](const ControlCard& c, const ItemSet& s) {
             EXPECT_EQ(s.dataFile, "a.dat");
             EXPECT_EQ(c.outputFile, "out.txt");
         }},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        const ControlCard card = readControlCard(edited(c.edit).str(), "card.txt");
        c.check(card, card.itemSets[0]);
    }
}

TEST(ControlCardReader, StopsAtTenItemSetsBeforeReadingThem) {
    // Everything after the count is malformed; the stop must come first.
    const std::string text = "$Number of item sets\n10 sets\n$Set1\nweight?\n'unclosed\n";
    try {
        readControlCard(text, "card.txt");
        FAIL() << "no stop";
    } catch (const DetectedError& error) {
        EXPECT_EQ(error.consoleLine, "# item sets greater than 9: Stopped!");
    }
    CardText nine;
    nine.sets.assign(9, SetText{});
    EXPECT_EQ(readControlCard(nine.str(), "card.txt").itemSets.size(), 9u);
}

TEST(ControlCardReader, MalformedOrShortCardsNameFileAndLine) {
    const std::string full = CardText{}.str();  // 18 lines for one set
    const struct {
        const char* what;
        std::string text;
        const char* messagePart;
    } cases[] = {
        {"ends before read 13", full.substr(0, full.size() - 2),
         "card.txt:18: the file ends before the bias correction switch"},
        {"ends after the first set", full.substr(0, full.find("$#categories")),
         "card.txt:9: the file ends before the categories heading line"},
        {"text where the item count belongs",
         edited([](CardText&, SetText& s) { s.items = "many"; }).str(),
         "card.txt:5: expected a whole number for the number of items of set 1, found 'many'"},
        {"fraction in an integer",
         edited([](CardText& t, SetText&) { t.categories = "2.0"; }).str(),
         "card.txt:10: expected a whole number for the number of categories"},
        {"quoted number", edited([](CardText&, SetText& s) { s.weight = "'1'"; }).str(),
         "card.txt:4: expected a number for the weight of set 1"},
    };
    for (const auto& c : cases) {
        try {
            readControlCard(c.text, "card.txt");
            ADD_FAILURE() << c.what << ": no InputError";
        } catch (const InputError& error) {
            EXPECT_NE(std::string(error.what()).find(c.messagePart), std::string::npos)
                << c.what << ": " << error.what();
        }
    }
}

TEST(ScoreRanges, TruncateEachSetAndTheRunningComposite) {
    const struct {
        std::vector<double> points;
        int items;
        double weight;
        int minRaw, maxRaw, rawCount, minComposite, maxComposite;
    } cases[] = {
        {{0, 0.5, 1}, 3, 1.0, 0, 3, 4, 0, 3},      {{1, 2, 3, 4}, 5, 1.0, 5, 20, 16, 5, 20},
        {{0, 1}, 3, 0.5, 0, 3, 4, 0, 1},            // composite 1.5 truncates to 1
        {{-0.5, 0, 0.5}, 3, 1.0, -1, 1, 3, -1, 1},  // toward zero on both sides
        {{0, 1, 2, 3}, 5, 2.0, 0, 15, 16, 0, 30},
    };
    for (const auto& c : cases) {
        ControlCard card;
        ItemSet& set = card.itemSets.emplace_back();
        set.weight = c.weight;
        set.itemCount = c.items;
        set.scorePointCount = static_cast<int>(c.points.size());
        set.scorePoints = c.points;
        set.highestScorePoint = c.points.back();
        const ScoreScales scales = deriveScoreScales(card);
        const RawScoreRange& range = scales.sets.back();
        const CompositeScale& scale = scales.composite;
        SCOPED_TRACE(::testing::Message() << c.items << " items up to " << c.points.back());
        EXPECT_EQ(range.minRawScore, c.minRaw);
        EXPECT_EQ(range.maxRawScore, c.maxRaw);
        ASSERT_EQ(range.rawScores.size(), static_cast<std::size_t>(c.rawCount));
        EXPECT_EQ(range.rawScores.front(), c.minRaw);
        EXPECT_EQ(scale.minComposite, c.minComposite);
        EXPECT_EQ(scale.maxComposite, c.maxComposite);
        EXPECT_EQ(static_cast<int>(scale.compositeScores.size()),
                  c.maxComposite - c.minComposite + 1);
    }
}

TEST(ScoreRanges, ObservedCutsMustLieInTheCompositeRange) {
    // Two sets of weight .5, three items scored 0/1: 1.5 truncates to 1, then
    // 1 + 1.5 truncates to 2, so the composite runs from 0 to 2.
    CardText text;
    text.sets.assign(2, SetText{".5", "3", "2", "0 1", "a.dat"});
    const struct {
        const char* categories;
        const char* observed;
        const char* truth;
        bool passes;
    } cases[] = {
        {"2", "2.5", "1", false},  {"2", "2", "1", true},         {"2", "0", "1", true},
        {"2", "-0.1", "1", false}, {"3", "0 2", "-50 1e6", true}, {"3", "1 3", "1 1", false},
        {"1", "", "", true},
    };
    for (const auto& c : cases) {
        text.categories = c.categories;
        text.observedCuts = c.observed;
        text.trueCuts = c.truth;
        const ControlCard card = readControlCard(text.str(), "card.txt");
        const CompositeScale scale = deriveScoreScales(card).composite;
        ASSERT_EQ(scale.maxComposite, 2);
        if (c.passes) {
            EXPECT_NO_THROW(checkCutScores(card, scale)) << c.observed;
        } else {
            try {
                checkCutScores(card, scale);
                ADD_FAILURE() << c.observed << " passed";
            } catch (const DetectedError& error) {
                EXPECT_EQ(error.consoleLine, "Error! Cut scores are out of score range!");
            }
        }
    }
}

}  // namespace
}  // namespace tl
