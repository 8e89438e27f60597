// The list-directed reader shared by the console, the control card and the
// data files: separators, reads over lines, repeats, nulls, slashes, quotes.
#include "input/free_format_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/errors.h"
#include "input/list_read.h"

namespace tl {
namespace {

// Performs one read of text targets per entry of `counts`, each target starting
// as "~" so that a target left unchanged shows; reads are separated by " | ".
std::string readTexts(std::string_view text, const std::vector<int>& counts) {
    FreeFormatReader reader(text, "t.txt");
    std::string shown;
    for (std::size_t r = 0; r < counts.size(); ++r) {
        std::vector<std::string> targets(static_cast<std::size_t>(counts[r]), "~");
        ListRead read(reader, "read " + std::to_string(r + 1));
        for (std::string& target : targets) read.text(target);
        read.finish();
        if (r > 0) shown += " | ";
        for (std::size_t i = 0; i < targets.size(); ++i) shown += (i ? " " : "") + targets[i];
    }
    return shown;
}

struct ReadCase {
    const char* rule;
    std::string_view text;
    std::vector<int> counts;
    const char* expected;
};

TEST(FreeFormatReader, FollowsEveryRule) {
    const ReadCase cases[] = {
        {"blanks separate", "a  b c", {3}, "a b c"},
        {"tabs separate", "a\tb\t\tc", {3}, "a b c"},
        {"commas with or without blanks", "a,b , c ,\td", {4}, "a b c d"},
        {"a read continues over lines", "a\nb\n\nc", {3}, "a b c"},
        {"the rest of the last line is ignored", "a b\nc d e\nf", {3, 1}, "a b c | f"},
        {"a comment after the values is ignored", "a  this is a comment\nb", {1, 1}, "a | b"},
        {"a comma at a line end is only a separator", "a,\nb,\nc", {2, 1}, "a b | c"},
        {"r*v repeats a value", "3*7 8", {4}, "7 7 7 8"},
        {"r*v repeats a quoted value", "2*'a b' c", {3}, "a b a b c"},
        {"a repeat is cut by the end of the read", "5*x\ny", {2, 1}, "x x | y"},
        {"r* repeats a null", "2* x", {3}, "~ ~ x"},
        {"r* before a comma", "2*,x", {3}, "~ ~ x"},
        {"a huge repeat count is fine", "99999999999999999999*5 x\ny", {3, 1}, "5 5 5 | y"},
        {"a slash ends the read", "a / b\nc", {3, 1}, "a ~ ~ | c"},
        {"a slash ends unquoted text", "dir/name", {2}, "dir ~"},
        {"a slash inside a read over lines", "a\n/\nb", {3, 1}, "a ~ ~ | b"},
        {"nothing between two commas is a null", "a,,b", {3}, "a ~ b"},
        {"a blank-only value between commas is a null", "a, ,b", {3}, "a ~ b"},
        {"a leading comma is a null", ",a", {2}, "~ a"},
        {"a null at the end of a line", "a,,\nb", {3}, "a ~ b"},
        {"apostrophes quote", "'a, b/c' d", {2}, "a, b/c d"},
        {"quotation marks quote", "\"a 'b'\" c", {2}, "a 'b' c"},
        {"a doubled apostrophe stands for one", "'it''s' x", {2}, "it's x"},
        {"a doubled quotation mark stands for one", "\"say \"\"hi\"\"\"", {1}, "say \"hi\""},
        {"an empty quoted text is a value", "'' x", {2}, " x"},
        {"unquoted text ends at a comma", "ab,cd", {2}, "ab cd"},
        {"CR LF line ends", "a b\r\nc\r\nd", {1, 1, 1}, "a | c | d"},
        {"lone CR line ends", "a b\rc\rd", {1, 1, 1}, "a | c | d"},
        {"a read of no values still takes its line", "skip me\na", {0, 1}, " | a"},
        {"no line end after the last value", "a", {1}, "a"},
    };
    for (const ReadCase& c : cases) {
        EXPECT_EQ(readTexts(c.text, c.counts), c.expected) << c.rule;
    }
}

struct FailureCase {
    const char* rule;
    std::string_view text;
    std::vector<int> counts;
    const char* messagePart;
};

TEST(FreeFormatReader, RefusesWhatItCannotRead) {
    const FailureCase cases[] = {
        {"unterminated quote", "a\n'abc", {1, 1}, "t.txt:2: quoted text is not closed"},
        {"a quote does not continue over lines", "'abc\ndef'", {1}, "t.txt:1: quoted text"},
        {"repeat count 0", "0*5", {1}, "t.txt:1: a repeat count must be at least 1"},
        {"repeat count 0 with leading zeros", "x\n000*", {1, 1}, "t.txt:2: a repeat count"},
        {"the text ends inside a read", "a\nb", {1, 2}, "the file ends before read 2"},
        {"a read of no values needs its line", "a", {1, 0}, "the file ends before read 2"},
        {"an empty text", "", {1}, "t.txt:1: the file ends before read 1"},
    };
    for (const FailureCase& c : cases) {
        try {
            readTexts(c.text, c.counts);
            ADD_FAILURE() << c.rule << ": no InputError";
        } catch (const InputError& error) {
            EXPECT_NE(std::string(error.what()).find(c.messagePart), std::string::npos)
                << c.rule << ": " << error.what();
        }
    }
}

TEST(FreeFormatReader, QuotedTextIsNeverANumber) {
    FreeFormatReader reader("'5'", "t.txt");
    ListRead read(reader, "a count");
    std::int32_t value = 0;
    EXPECT_THROW(read.integer(value), InputError);
}

TEST(FreeFormatReader, TakesAHugeRepeatAtOnce) {
    // Three thousand million copies must not be walked one by one.
    FreeFormatReader reader("3000000000*2.5 9\nnext", "t.txt");
    ListRead read(reader, "the score points");
    double last = 0.0;
    read.realsKeepingLast(3'000'000'001, last);
    read.finish();
    EXPECT_EQ(last, 9.0);
    EXPECT_EQ(reader.line(), 2);
}

}  // namespace
}  // namespace tl
