// Counting the examinees in the first data file, and reading a set's records
// into observed proportions and the observed composite score.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/errors.h"
#include "input/record_reader.h"
#include "model/set_loader.h"

namespace tl {
namespace {

ItemSet makeSet(std::vector<double> points, int items, double weight = 1.0) {
    ItemSet set;
    set.weight = weight;
    set.itemCount = items;
    set.scorePointCount = static_cast<int>(points.size());
    set.highestScorePoint = points.back();
    set.scorePoints = std::move(points);
    return set;
}

std::string line(int values, const char* value = "1") {
    std::string text;
    for (int i = 0; i < values; ++i) text += std::string(i ? " " : "") + value;
    return text + "\n";
}

TEST(DataFileReader, CountsCompleteRecordsOnly) {
    const struct {
        const char* what;
        std::string text;
        int items;
        int expected;
    } cases[] = {
        {"a short fourth line is not a record", line(20) + line(20) + line(20) + line(12), 20, 3},
        {"the rest of a record's last line is ignored", line(40), 20, 1},
        {"blank lines between records", "\n0 1\n\n  \n1 0\n\n", 2, 2},
        {"a record continued over lines", "0 1\n1\n0 1 1\n", 3, 2},
        {"no line end after the last record", "0 1\n1 0", 2, 2},
        {"CR LF and lone CR line ends", "0 1\r\n1 0\r1 1\r\n", 2, 3},
        {"commas, tabs and repeats", "0,1\t1\n3*2\n", 3, 2},
        {"an empty file", "", 5, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(countExaminees(c.text, "a.dat", c.items), c.expected) << c.what;
    }
}

TEST(DataFileReader, FormsProportionsAndTheWeightedComposite) {
    const struct {
        const char* what;
        std::vector<double> points;
        double weight;
        const char* record;
        std::vector<double> proportions;
        double compositeAdded;
    } cases[] = {
        {"0 1 1 2", {0, 1, 2}, 1.0, "0 1 1 2", {.25, .5, .25}, 4.0},
        {"1.5 is counted nowhere", {0, 1, 2}, 1.0, "0 1 1.5 2", {.25, .25, .25}, 4.5},
        {"weight 2 doubles the share", {0, 1, 2}, 2.0, "0 1 1 2", {.25, .5, .25}, 8.0},
        {"spellings of one value all count",
         {0, .5, 1},
         1.0,
         ".5 0.5 5.D-1 +1E0",
         {0, .75, .25},
         2.5},
        {"negative points", {-1, 0, 1}, 0.5, "-1 -1 0 1", {.5, .25, .25}, -0.5},
        {"no score matches", {0, 1, 2}, 1.0, "3 3 3 3", {0, 0, 0}, 12.0},
    };
    for (const auto& c : cases) {
        const ItemSet set = makeSet(c.points, 4, c.weight);
        std::vector<double> composite = {10.0};  // the share is added to what is there
        const ProportionProfiles profiles =
            loadItemSet(std::string(c.record) + "\n", "a.dat", set, 1, composite, true);
        const auto p = profiles.proportions(profiles.profileOf(0));
        EXPECT_EQ(std::vector<double>(p.begin(), p.end()), c.proportions) << c.what;
        EXPECT_EQ(composite[0], 10.0 + c.compositeAdded) << c.what;
    }
}

TEST(DataFileReader, UsesTheFirstRecordsOfALongerFile) {
    const ItemSet set = makeSet({0, 1}, 2);
    std::vector<double> composite(2, 0.0);
    loadItemSet("1 1\n0 1\n0 0\n1 1\n", "b.dat", set, 2, composite, true);
    EXPECT_EQ(composite, (std::vector<double>{2.0, 1.0}));
}

TEST(DataFileReader, SharesProfilesBetweenIdenticalExaminees) {
    const ItemSet set = makeSet({0, 1, 2}, 3);
    const std::string text = "0 1 2\n2 2 2\n2 1 0\n0 1 2\n";
    std::vector<double> composite(4, 0.0);
    const ProportionProfiles shared = loadItemSet(text, "a.dat", set, 4, composite, true);
    EXPECT_EQ(shared.profileCount(), 2u);  // only the counts matter, not the item order
    EXPECT_EQ(shared.profileOf(0), shared.profileOf(2));
    EXPECT_EQ(shared.profileOf(0), shared.profileOf(3));
    EXPECT_NE(shared.profileOf(0), shared.profileOf(1));
    const ProportionProfiles alone = loadItemSet(text, "a.dat", set, 4, composite, false);
    EXPECT_EQ(alone.profileCount(), 4u);
}

TEST(DataFileReader, RefusesRecordsTheModelCannotTake) {
    const struct {
        const char* what;
        std::string text;
        int examinees;  // 0: count the records instead of loading them
        const char* messagePart;
    } cases[] = {
        {"fewer records than examinees", "0 1 2 1\n1 1 1 1\n0 1\n", 3,
         "b.dat:4: the file ends in record 3; 3 complete records of 4 item scores are needed"},
        {"an empty file", "", 1,
         "b.dat:1: the file ends in record 1; 1 complete record of 4 item scores is needed"},
        {"a null value", "0 1 2 1\n0 1,,2\n", 2, "b.dat:2: record 2 gives no score for item 3"},
        {"a leading comma", ",0 1 2 1\n", 1, "b.dat:1: record 1 gives no score for item 1"},
        {"r* nulls", "0 2* 1\n", 1, "b.dat:1: record 1 gives no score for item 2"},
        {"a slash", "0 1\n2 /\n", 1, "b.dat:2: record 1 gives no score for item 4"},
        {"a null while counting", "0 1 2 1\n0,,1 1 1\n", 0,
         "b.dat:2: record 2 gives no score for item 2"},
        {"text among scores", "0 1 2 1\n0 x 2 1\n", 2,
         "b.dat:2: record 2, item 2: expected a number, found 'x'"},
        {"quoted number", "0 '1' 2 1\n", 1, "b.dat:1: record 1, item 2: expected a number"},
        {"text while counting", "0 1 2 1\nn/a\n", 0, "b.dat:2: record 2, item 1"},
        {"out of range", "0 1 2 1e999\n", 1, "record 1, item 4: expected a number in range"},
    };
    const ItemSet set = makeSet({0, 1, 2}, 4);
    for (const auto& c : cases) {
        std::vector<double> composite(static_cast<std::size_t>(c.examinees), 0.0);
        try {
            if (c.examinees == 0) {
                countExaminees(c.text, "b.dat", 4);
            } else {
                loadItemSet(c.text, "b.dat", set, c.examinees, composite, true);
            }
            ADD_FAILURE() << c.what << ": no InputError";
        } catch (const InputError& error) {
            EXPECT_NE(std::string(error.what()).find(c.messagePart), std::string::npos)
                << c.what << ": " << error.what();
        }
    }
}

TEST(DataFileReader, ReadsALargeFile) {
    // 200,000 examinees, 60 items scored 0..3, written with varied separators.
    constexpr int kExaminees = 200'000;
    constexpr int kItems = 60;
    auto score = [](int e, int j) { return (e * 7 + j * j * 3 + e / 13) % 4; };
    const char* separators[] = {" ", "\t", ",", " , "};
    std::string text;
    text.reserve(static_cast<std::size_t>(kExaminees) * kItems * 2);
    for (int e = 0; e < kExaminees; ++e) {
        for (int j = 0; j < kItems; ++j) {
            if (j > 0) text += j == 30 && e % 5 == 0 ? "\n" : separators[(e + j) % 4];
            text += static_cast<char>('0' + score(e, j));
        }
        text += e % 3 == 0 ? "\r\n" : "\n";
    }
    text += "0 1 2\n";  // a record cut short at the end is not counted

    ASSERT_EQ(countExaminees(text, "big.dat", kItems), kExaminees);
    const ItemSet set = makeSet({0, 1, 2, 3}, kItems, 0.5);
    std::vector<double> composite(kExaminees, 0.0);
    const ProportionProfiles profiles =
        loadItemSet(text, "big.dat", set, kExaminees, composite, true);
    ASSERT_EQ(profiles.examineeCount(), static_cast<std::size_t>(kExaminees));
    for (int e = 0; e < kExaminees; ++e) {
        double counts[4] = {0, 0, 0, 0};
        double sum = 0.0;
        for (int j = 0; j < kItems; ++j) {
            counts[score(e, j)] += 1.0;
            sum = sum + 0.5 * score(e, j);
        }
        const auto p = profiles.proportions(profiles.profileOf(static_cast<std::size_t>(e)));
        for (int k = 0; k < 4; ++k) ASSERT_EQ(p[k], counts[k] / kItems) << e << " " << k;
        ASSERT_EQ(composite[static_cast<std::size_t>(e)], sum) << e;
    }
}

}  // namespace
}  // namespace tl
