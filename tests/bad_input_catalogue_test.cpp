// The bad-input catalogue: hand-edited control cards and exported data files
// of every malformed kind an analyst is likely to produce, each run through
// the real program in a folder of its own. Whatever the input, the run must
// end quickly with exactly one clear line (a console error and the pause,
// exit 1, or one diagnostic on standard error, exit 2), never crash, and
// leave every file in the folder as it was: no report written, truncated or
// replaced, and no temporary file left behind. A few inputs that look odd but
// are well formed (other line ends, a byte-order mark) must simply succeed.
// Runs given on the command line (analysis files, tables, options) are held
// to the same: bounded in time, one line, nothing written or changed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <poll.h>
#include <readstat.h>
#include <sys/fanotify.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "core/messages.h"
#include "support/card_text.h"
#include "support/program_run.h"

namespace fs = std::filesystem;
using tl::testing::readFile;
using tl::testing::writeFile;

namespace {

enum class Ending {
    Success,         // exit 0, "Successful execution!"
    SameAsBaseline,  // exit 0 and byte for byte the report of the well-formed baseline
    ConsoleError,    // exit 1: one "Error! ..." or "... Stopped!" line, then the pause
    Diagnostic,      // exit 2: one line on standard error, no pause
    Usage,           // exit 2: a command-line error, then the usage lines
};

// How the folder is arranged beyond writing the files.
enum class Setup {
    None,
    ReadOnlyFolder,     // locked/ cannot take a new file
    VanishingDataFile,  // the named data file cannot be opened once it has been read
    NamedPipe,          // `special` is a named pipe that no one writes
    Device,             // `special` is a link to /dev/zero
};

// A control card held as the text of each read, so that any read can be
// replaced by anything at all: two sets and three categories.
using Card = tl::testing::CardText;
using tl::testing::SetText;

Card baselineCard() {
    Card card;
    card.setCount = "2";
    card.sets = {SetText{"1.0", "4", "2", "0 1", "set1.dat"},
                 SetText{"2.0", "3", "3", "0 1 2", "set2.dat"}};
    card.categories = "3";
    card.observedCuts = card.trueCuts = "6 11";
    card.conditional = "1";
    card.outputFile = "report.out";
    return card;
}

using Files = std::map<std::string, std::string>;

const char* const kSet1 =
    "1 1 1 1\n0 1 1 0\n1 0 0 0\n1 1 0 1\n0 0 0 0\n1 1 1 0\n0 1 0 1\n1 0 1 1\n";
const char* const kSet2 = "2 2 1\n1 0 1\n0 0 0\n2 1 1\n0 1 0\n2 2 2\n1 1 0\n1 2 1\n";

Files baselineFiles() {
    return {{"set1.dat", kSet1}, {"set2.dat", kSet2}};
}

// A conversion table over the baseline's composite scores 0 to 16.
const char* const kScaleTable =
    "raw,scale\n0,100\n1,101\n2,102\n3,103\n4,104\n5,105\n6,106\n7,107\n8,108\n9,109\n"
    "10,110\n11,111\n12,112\n13,113\n14,114\n15,115\n16,116\n";

// The baseline's data as one table with an ID column.
const char* const kBaselineTable =
    "student_id,a1,a2,a3,a4,b1,b2,b3\n1,1,1,1,1,2,2,1\n2,0,1,1,0,1,0,1\n3,1,0,0,0,0,0,0\n"
    "4,1,1,0,1,2,1,1\n";

const char* const kBaselineClassification =
    "[classification]\nobserved_cuts = [6, 11]\ntrue_cuts = [6, 11]\nbias_correction = false\n";

// The baseline card as an analysis file, with `output` under [output] and
// `more` after it.
std::string baselineAnalysisFile(const std::string& output, const std::string& more) {
    return std::string(
               "[[sets]]\nfile = \"set1.dat\"\nitems = 4\npoints = [0, 1]\nweight = 1\n"
               "[[sets]]\nfile = \"set2.dat\"\nitems = 3\npoints = [0, 1, 2]\n"
               "weight = 2\n") +
           kBaselineClassification + "[output]\n" + output + "\n" + more;
}

// The same over the table `table`.
std::string baselineTableAnalysisFile(const std::string& table, const std::string& output) {
    return "[data]\nfile = \"" + table + "\"\nid = \"student_id\"\n" +
           "[[sets]]\nitems = \"a1:a4\"\npoints = [0, 1]\nweight = 1\n"
           "[[sets]]\nitems = \"b1:b3\"\npoints = [0, 1, 2]\nweight = 2\n" +
           kBaselineClassification + "[output]\n" + output + "\n";
}

// What an analyst would call a report from an earlier run; every failed run
// must leave it exactly as it is.
const char* const kOldReport = "An earlier report\r\nthat a failed run must not touch\r\n";

struct Case {
    std::string name{};
    std::string card{};  // contents of card.txt
    Files files = baselineFiles();
    Ending ending = Ending::ConsoleError;
    std::string expected{};  // text the console line or the diagnostic must contain
    std::string typed = "card.txt\n\n";
    Setup setup = Setup::None;
    std::string vanishing{};  // for Setup::VanishingDataFile: the pipe's name
    int vanishingReads = 1;   // how many opens the file serves before it is gone
    std::string longLine{};   // repeated to 10 MB in place of the marker LONG in every file
    std::vector<std::string> arguments{};  // the command line; none: the console dialogue
    std::string special{};                 // for Setup::NamedPipe and Setup::Device
    // Binary files made when the case runs, by name.
    std::map<std::string, std::function<std::string()>> made{};
    // A successful run's new files (names starting so) and a text each must hold.
    std::string writes{};
    std::vector<std::pair<std::string, std::string>> holds{};
    double seconds = 10.0;  // the run must end within this
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t p = text.find(from); p != std::string::npos;
         p = text.find(from, p + to.size())) {
        text.replace(p, from.size(), to);
    }
    return text;
}

Files withLineEnds(Files files, const std::string& end) {
    for (auto& [name, text] : files) text = replaceAll(text, "\n", end);
    return files;
}

// Bytes of every value from a fixed generator, so that the garbage is the same on every run.
std::string garbage(std::size_t size, std::uint32_t seed) {
    std::string out(size, '\0');
    for (char& c : out) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    return out;
}

// An analysis file of one set of four items, taken from the table t.csv of
// nine examinees with a grouping column; `extra` is added at its end.
std::string analysisFile(const std::string& table = "t.csv", const std::string& items = "a:d",
                         const std::string& extra = "") {
    return "[data]\nfile = \"" + table + "\"\nid = \"id\"\ngroups = [\"g\"]\n[[sets]]\nitems = \"" +
           items + "\"\npoints = [0, 1]\n[classification]\nobserved_cuts = [2]\n[output]\n" +
           "report = \"report.out\"\n" + extra;
}

const char* const kTable =
    "id,g,a,b,c,d\ns1,x,1,1,1,1\ns2,y,0,1,1,0\ns3,x,1,0,0,0\ns4,y,1,1,0,1\ns5,x,0,0,0,0\n"
    "s6,y,1,1,1,0\ns7,x,0,1,0,1\ns8,y,1,0,1,1\ns9,x,1,1,0,0\n";

Files analysisFiles(const std::string& table = kTable) {
    return {{"a.toml", analysisFile()}, {"t.csv", table}};
}

// A table of `rows` examinees, each in a group of its own.
std::string tableOfLevels(int rows) {
    std::string text = "id,g,a,b,c,d\n";
    for (int r = 0; r < rows; ++r) {
        const std::string id = std::to_string(r);
        text += "s" + id + ",L" + id + "," + std::to_string(r % 2) + ",1," +
                std::to_string(r / 2 % 2) + ",0\n";
    }
    return text;
}

// A scale table for the baseline card's composite scores 0 to 16.
std::string scaleTable(const std::string& header = "raw,scale", const std::string& end = "\n") {
    std::string text = header + end;
    for (int raw = 0; raw <= 16; ++raw)
        text += std::to_string(raw) + "," + std::to_string(100 + 2 * raw) + end;
    return text;
}

ssize_t appendBytes(const void* data, size_t length, void* text) {
    static_cast<std::string*>(text)->append(static_cast<const char*>(data), length);
    return static_cast<ssize_t>(length);
}

// The table as a SAS transport file of 60 rows (ReadStat's own writer), with
// only its first `keep` bytes when that is not 0.
std::string transportTable(std::size_t keep) {
    std::string bytes;
    readstat_writer_t* writer = readstat_writer_init();
    readstat_set_data_writer(writer, appendBytes);
    readstat_variable_t* id = readstat_add_variable(writer, "ID", READSTAT_TYPE_STRING, 8);
    readstat_variable_t* g = readstat_add_variable(writer, "G", READSTAT_TYPE_STRING, 8);
    std::vector<readstat_variable_t*> items;
    for (const char* name : {"A", "B", "C", "D"})
        items.push_back(readstat_add_variable(writer, name, READSTAT_TYPE_DOUBLE, 8));
    readstat_begin_writing_xport(writer, &bytes, 60);
    for (int r = 0; r < 60; ++r) {
        readstat_begin_row(writer);
        readstat_insert_string_value(writer, id, ("s" + std::to_string(r)).c_str());
        readstat_insert_string_value(writer, g, r % 2 ? "x" : "y");
        for (std::size_t i = 0; i < items.size(); ++i)
            readstat_insert_double_value(writer, items[i], (r >> i) & 1);
        readstat_end_row(writer);
    }
    readstat_end_writing(writer);
    readstat_writer_free(writer);
    if (keep != 0) bytes.resize(keep);
    return bytes;
}

template <class Edit>
Card edited(Edit edit) {
    Card card = baselineCard();
    edit(card);
    return card;
}

std::vector<Case> catalogue() {
    std::vector<Case> cases;
    auto add = [&](Case c) { cases.push_back(std::move(c)); };
    auto cardCase = [&](std::string name, const Card& card, Ending ending, std::string expected) {
        add({.name = std::move(name),
             .card = card.text(),
             .ending = ending,
             .expected = std::move(expected)});
    };
    const Card base = baselineCard();

    // --- The control card file itself.
    add({.name = "EmptyControlCard",
         .card = "",
         .ending = Ending::Diagnostic,
         .expected = "card.txt"});
    add({.name = "MissingControlCard",
         .card = base.text(),
         .expected = "Error! File: nothere.txt",
         .typed = "nothere.txt\n\n"});
    add({.name = "ControlCardIsAFolder",
         .card = base.text(),
         .expected = "Error! File: .",
         .typed = ".\n\n"});
    add({.name = "UnterminatedQuoteAtThePrompt",
         .card = base.text(),
         .ending = Ending::Diagnostic,
         .expected = "not closed",
         .typed = "\"card.txt\n\n"});
    add({.name = "NoNameAtThePrompt",
         .card = base.text(),
         .ending = Ending::Diagnostic,
         .expected = "no control card file name",
         .typed = ""});

    // --- The card cut short before each of reads 2 to 13 (lines 2 to 18 of a
    // one-set card hold reads 2 to 13 and their headings).
    {
        Card one = baselineCard();
        one.sets.resize(1);
        one.setCount = "1";
        one.observedCuts = one.trueCuts = "1 3";
        // Last line of each read: reads 1 to 12 (read 3 is the six lines of the set).
        const std::vector<std::size_t> lastLine = {0, 1, 2, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17};
        for (std::size_t read = 2; read <= 13; ++read) {
            add({.name = "CardEndsBeforeRead" + std::to_string(read),
                 .card = one.firstLines(lastLine[read - 1]),
                 .ending = Ending::Diagnostic,
                 .expected = "the file ends before"});
        }
        // Within read 3: before each of its lines 3b to 3f.
        for (std::size_t line = 3; line <= 7; ++line) {
            add({.name = "CardEndsBeforeRead3" + std::string(1, static_cast<char>('a' + line - 2)),
                 .card = one.firstLines(line),
                 .ending = Ending::Diagnostic,
                 .expected = "the file ends before"});
        }
        add({.name = "ScorePointsCutShortByEndOfFile",
             .card = one.firstLines(6) + "0\n",
             .ending = Ending::Diagnostic,
             .expected = "the file ends before the score points"});
        Card noFinalLineEnd = one;
        std::string text = noFinalLineEnd.text();
        text.pop_back();
        add({.name = "LastLineWithoutLineEndIsComplete",
             .card = text,
             .files = baselineFiles(),
             .ending = Ending::Success});
    }

    // --- Text where each kind of number is expected.
    const std::vector<std::pair<std::string, void (*)(Card&)>> textInsteadOfNumber = {
        {"SetCount", [](Card& c) { c.setCount = "two"; }},
        {"Weight", [](Card& c) { c.sets[0].weight = "heavy"; }},
        {"ItemCount", [](Card& c) { c.sets[0].items = "four"; }},
        {"ScorePointCount", [](Card& c) { c.sets[1].pointCount = "K"; }},
        {"ScorePoint", [](Card& c) { c.sets[1].points = "0 one 2"; }},
        {"CategoryCount", [](Card& c) { c.categories = "three"; }},
        {"ObservedCut", [](Card& c) { c.observedCuts = "6 high"; }},
        {"TrueCut", [](Card& c) { c.trueCuts = "low 11"; }},
        {"ConditionalSwitch", [](Card& c) { c.conditional = "yes"; }},
        {"BiasSwitch", [](Card& c) { c.bias = "no"; }},
        {"QuotedNumber", [](Card& c) { c.sets[0].items = "'4'"; }},
    };
    for (const auto& [what, edit] : textInsteadOfNumber) {
        cardCase("TextFor" + what, edited(edit), Ending::Diagnostic, "expected a");
    }

    // --- Whole numbers written with a fraction, and numbers out of range.
    cardCase("SetCountWithFraction", edited([](Card& c) { c.setCount = "2.0"; }),
             Ending::Diagnostic, "expected a whole number");
    cardCase("ItemCountWithFraction", edited([](Card& c) { c.sets[1].items = "3.5"; }),
             Ending::Diagnostic, "expected a whole number");
    cardCase("CategoryCountWithExponent", edited([](Card& c) { c.categories = "3e0"; }),
             Ending::Diagnostic, "expected a whole number");
    cardCase("WeightOf1e400", edited([](Card& c) { c.sets[0].weight = "1e400"; }),
             Ending::Diagnostic, "out of range");
    cardCase("CutOf1e400", edited([](Card& c) { c.observedCuts = "6 1e400"; }), Ending::Diagnostic,
             "out of range");
    cardCase("ItemCount99999999999", edited([](Card& c) { c.sets[0].items = "99999999999"; }),
             Ending::Diagnostic, "out of range");
    cardCase("WeightTooLargeForAnyScore", edited([](Card& c) { c.sets[0].weight = "99999999999"; }),
             Ending::ConsoleError, "Error! The composite score");

    // --- Negative and zero counts.
    // A card without sets; its cuts lie on the one composite score there is, 0.
    const auto noSets = [](const std::string& count) {
        return edited([&](Card& c) {
            c.setCount = count;
            c.sets.clear();
            c.observedCuts = c.trueCuts = "0 0";
        });
    };
    cardCase("ZeroSets", noSets("0"), Ending::ConsoleError,
             "Error! The number of item sets must be at least 1");
    cardCase("NegativeSets", noSets("-3"), Ending::ConsoleError,
             "Error! The number of item sets must be at least 1");
    cardCase("ZeroItems", edited([](Card& c) {
                 c.sets[1].items = "0";
                 c.observedCuts = "1 3";
             }),
             Ending::ConsoleError, "Error! Set 2: the number of items must be at least 1");
    cardCase("NegativeItems", edited([](Card& c) { c.sets[0].items = "-4"; }), Ending::ConsoleError,
             "Error! Cut scores are out of score range!");
    cardCase("ZeroScorePoints", edited([](Card& c) {
                 c.sets[1].pointCount = "0";
                 c.observedCuts = "1 3";
             }),
             Ending::ConsoleError, "Error! Set 2: at least 2 score points are needed");
    cardCase("NegativeScorePoints", edited([](Card& c) {
                 c.sets[1].pointCount = "-2";
                 c.observedCuts = "1 3";
             }),
             Ending::ConsoleError, "Error! Set 2: at least 2 score points are needed");
    cardCase("ZeroCategories", edited([](Card& c) { c.categories = "0"; }), Ending::ConsoleError,
             tl::messages::categoryCountOutOfRange(0));
    cardCase("NegativeCategories", edited([](Card& c) { c.categories = "-1"; }),
             Ending::ConsoleError, tl::messages::categoryCountOutOfRange(-1));
    cardCase("ElevenCategories", edited([](Card& c) {
                 c.categories = "11";
                 c.observedCuts = c.trueCuts = "1 2 3 4 5 6 7 8 9 10";
             }),
             Ending::ConsoleError, tl::messages::categoryCountOutOfRange(11));
    cardCase("HugeCategoryCount", edited([](Card& c) { c.categories = "2000000000"; }),
             Ending::ConsoleError, tl::messages::categoryCountOutOfRange(2000000000));

    // --- Counts that would ask for absurd work or storage: refused or read
    // lazily, never allocated up front.
    {
        Card huge = edited([](Card& c) {
            c.sets.resize(1);
            c.setCount = "1";
            c.sets[0].items = "2000000000";
            c.observedCuts = c.trueCuts = "1 2";
        });
        add({.name = "TwoBillionItemsAndOneShortLine",
             .card = huge.text(),
             .files = {{"set1.dat", "0 1 1\n"}},
             .expected = "Error! "});
        Card limit = edited([](Card& c) {
            c.sets.resize(1);
            c.setCount = "1";
            c.sets[0].items = "19999999";  // just within the enumeration limit with two points
            c.sets[0].points = "0 0.001";
            c.observedCuts = c.trueCuts = "1 2";
        });
        add({.name = "ManyItemsAndOneShortLine",
             .card = limit.text(),
             .files = {{"set1.dat", "0 1 1\n"}},
             .expected = "holds no complete record"});
    }

    // --- The limits that stop a run with their own console lines.
    {
        Card ten = baselineCard();
        ten.setCount = "10";  // stops before any set is read, however the rest looks
        add({.name = "TenSets",
             .card = ten.firstLines(2) + garbage(200, 7),
             .expected = "# item sets greater than 9: Stopped!"});
        Card sixteen = edited([](Card& c) {
            c.sets[1].pointCount = "16";
            c.sets[1].points = "0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15";
            c.observedCuts = c.trueCuts = "6 11";
        });
        cardCase("SixteenScorePoints", sixteen, Ending::ConsoleError,
                 "# score categories greater than 15: Stopped!");
    }
    cardCase("ScorePointsDescending", edited([](Card& c) { c.sets[1].points = "2 1 0"; }),
             Ending::ConsoleError, "Error! Cut scores are out of score range!");
    cardCase("ScorePointsDescendingWithinRange", edited([](Card& c) {
                 c.sets[1].points = "0 2 1";
                 c.observedCuts = "2 5";
             }),
             Ending::ConsoleError,
             "Error! Set 2: the score points must be listed in ascending order");
    cardCase("ScorePointRepeated", edited([](Card& c) {
                 c.sets[1].points = "0 1 1 2";
                 c.sets[1].pointCount = "4";
             }),
             Ending::ConsoleError,
             "Error! Set 2: the score points must be listed in ascending order");
    cardCase("ObservedCutsDecreasing", edited([](Card& c) { c.observedCuts = "11 6"; }),
             Ending::ConsoleError, "Error! The observed cut scores must not decrease.");
    cardCase("ObservedCutOutOfRange", edited([](Card& c) { c.observedCuts = "6 17"; }),
             Ending::ConsoleError, "Error! Cut scores are out of score range!");

    // --- Quotes and slashes.
    cardCase("UnterminatedQuoteInDataFileName",
             edited([](Card& c) { c.sets[0].dataFile = "'set1.dat"; }), Ending::Diagnostic,
             "quoted text is not closed");
    cardCase("UnterminatedQuoteInOutputName",
             edited([](Card& c) { c.outputFile = "\"report.out"; }), Ending::Diagnostic,
             "quoted text is not closed");
    // A slash ends a read and leaves the rest of its targets as they were
    // (zero, or an empty name): every position gives a clean ending.
    const std::vector<std::tuple<std::string, void (*)(Card&), Ending, std::string>> slashes = {
        {"SetCount", [](Card& c) { c.setCount = "/"; }, Ending::Diagnostic,
         "expected a whole number"},
        {"Weight", [](Card& c) { c.sets[0].weight = "/"; }, Ending::Success, ""},
        {"ItemCount", [](Card& c) { c.sets[0].items = "/"; }, Ending::ConsoleError,
         "Error! Set 1: the number of items"},
        {"ScorePointCount", [](Card& c) { c.sets[0].pointCount = "/"; }, Ending::ConsoleError,
         "Error! Set 1: at least 2 score points"},
        {"FirstScorePoint", [](Card& c) { c.sets[1].points = "/ 1 2"; }, Ending::ConsoleError,
         "Error! Cut scores are out of score range!"},
        {"LastScorePoint", [](Card& c) { c.sets[0].points = "0 /"; }, Ending::ConsoleError,
         "Error! Set 1: the score points must be listed in ascending order"},
        {"DataFileName", [](Card& c) { c.sets[1].dataFile = "/set2.dat"; }, Ending::ConsoleError,
         "Error! Data file is not found!"},
        {"InsideUnquotedDataFileName", [](Card& c) { c.sets[1].dataFile = "data/set2.dat"; },
         Ending::ConsoleError, "Error! Data file is not found!"},
        {"CategoryCount", [](Card& c) { c.categories = "/"; }, Ending::ConsoleError,
         "Error! The number of categories"},
        {"FirstObservedCut", [](Card& c) { c.observedCuts = "/ 11"; }, Ending::Success, ""},
        {"SecondTrueCut", [](Card& c) { c.trueCuts = "6 /"; }, Ending::ConsoleError,
         "Error! The true cut scores must not decrease."},
        {"ConditionalSwitch", [](Card& c) { c.conditional = "/"; }, Ending::Success, ""},
        {"OutputName", [](Card& c) { c.outputFile = "/"; }, Ending::ConsoleError,
         "Error! No output file is named."},
        {"BiasSwitch", [](Card& c) { c.bias = "/"; }, Ending::SameAsBaseline, ""},
        {"AfterTheLastValue", [](Card& c) { c.observedCuts = "6 11 / 99"; }, Ending::SameAsBaseline,
         ""},
    };
    for (const auto& [where, edit, ending, expected] : slashes) {
        cardCase("SlashAt" + where, edited(edit), ending, expected);
    }
    add({.name = "SlashInARecord",
         .card = base.text(),
         .files = {{"set1.dat", kSet1}, {"set2.dat", "2 2 1\n1 / 1\n" + std::string(kSet2)}},
         .ending = Ending::Diagnostic,
         .expected = "record 2 gives no score for item 2"});

    // --- Repeats r*v.
    cardCase("RepeatCountZeroInCard", edited([](Card& c) { c.observedCuts = "0*6 11"; }),
             Ending::Diagnostic, "repeat count must be at least 1");
    add({.name = "RepeatCountZeroInData",
         .card = base.text(),
         .files = {{"set1.dat", "0*1 1 1 1\n" + std::string(kSet1)}, {"set2.dat", kSet2}},
         .ending = Ending::Diagnostic,
         .expected = "repeat count must be at least 1"});
    cardCase("HugeRepeatOfCuts", edited([](Card& c) { c.trueCuts = "99999999999999999999*6"; }),
             Ending::Success, "");
    cardCase("HugeRepeatOfScorePoints", edited([](Card& c) {
                 c.sets[1].pointCount = "2000000000";
                 c.sets[1].points = "0 1 2000000000*2";
             }),
             Ending::ConsoleError, "# score categories greater than 15: Stopped!");
    cardCase("HugeRepeatOfNulls", edited([](Card& c) { c.sets[1].points = "2147483648*"; }),
             Ending::ConsoleError, "Error! Cut scores are out of score range!");
    {
        Files files = baselineFiles();
        files["set1.dat"] = replaceAll(files["set1.dat"], "1 1 1 1\n", "4000000000*1\n");
        add({.name = "HugeRepeatInARecord",
             .card = base.text(),
             .files = files,
             .ending = Ending::SameAsBaseline});
    }

    // --- Binary content.
    add({.name = "BinaryGarbageCard",
         .card = garbage(4096, 1),
         .ending = Ending::Diagnostic,
         .expected = "card.txt:"});
    add({.name = "BinaryGarbageData",
         .card = base.text(),
         .files = {{"set1.dat", kSet1}, {"set2.dat", garbage(4096, 2)}},
         .ending = Ending::Diagnostic,
         .expected = "set2.dat:"});
    add({.name = "NulByteInCount",
         .card = replaceAll(base.text(), "\n2\n", "\n2" + std::string(1, '\0') + "\n"),
         .ending = Ending::Diagnostic,
         .expected = "\\x00"});
    add({.name = "NulByteInDataFileName",
         .card = replaceAll(base.text(), "set2.dat", "set2" + std::string(1, '\0') + ".dat"),
         .expected = "Error! Data file is not found!"});
    add({.name = "NulByteInData",
         .card = base.text(),
         .files = {{"set1.dat", kSet1}, {"set2.dat", "2 2 1\n1 0" + std::string(1, '\0') + "1\n"}},
         .ending = Ending::Diagnostic,
         .expected = "set2.dat:2"});

    // --- A line of 10 MB: as a heading it is skipped whole, as a record only
    // its first values are read, as one value it is refused. The long line
    // (the marker LONG) is put in place when the case runs, so that listing
    // the tests stays cheap.
    add({.name = "TenMegabyteHeading",
         .card = "LONG\n" + base.text().substr(base.text().find('\n') + 1),
         .ending = Ending::SameAsBaseline,
         .longLine = "x"});
    add({.name = "TenMegabyteRecordLine",
         .card = base.text(),
         .files = {{"set1.dat", replaceAll(kSet1, "0 1 1 0\n", "0 1 1 0 LONG\n")},
                   {"set2.dat", kSet2}},
         .ending = Ending::SameAsBaseline,
         .longLine = "0 1 "});
    add({.name = "TenMegabyteNumber",
         .card = base.text(),
         .files = {{"set1.dat", kSet1}, {"set2.dat", "LONG 1 1\n"}},
         .ending = Ending::Diagnostic,
         .expected = "set2.dat:1",
         .longLine = "7"});
    add({.name = "TenMegabyteCountValue",
         .card = replaceAll(base.text(), "\n2\n", "\nLONG\n"),
         .ending = Ending::Diagnostic,
         .expected = "out of range",
         .longLine = "9"});

    // --- Line ends and a byte-order mark: well formed, the same report.
    for (const auto& [label, end] :
         std::vector<std::pair<std::string, std::string>>{{"CrLf", "\r\n"}, {"CrOnly", "\r"}}) {
        add({.name = label + "LineEnds",
             .card = replaceAll(base.text(), "\n", end),
             .files = withLineEnds(baselineFiles(), end),
             .ending = Ending::SameAsBaseline});
    }
    {
        Files files = baselineFiles();
        for (auto& [name, text] : files) text = "\xEF\xBB\xBF" + text;
        add({.name = "ByteOrderMarks",
             .card = "\xEF\xBB\xBF" + base.text(),
             .files = files,
             .ending = Ending::SameAsBaseline});
    }

    // --- Data files.
    add({.name = "SecondDataFileTooShort",
         .card = base.text(),
         .files = {{"set1.dat", kSet1}, {"set2.dat", "2 2 1\n1 0 1\n0 0\n"}},
         .ending = Ending::Diagnostic,
         .expected = "the file ends in record 3"});
    add({.name = "TextAmongScoresFirstFile",
         .card = base.text(),
         .files = {{"set1.dat", "1 1 1 1\n0 1 absent 0\n"}, {"set2.dat", kSet2}},
         .ending = Ending::Diagnostic,
         .expected = "set1.dat:2: record 2, item 3"});
    add({.name = "TextAmongScoresSecondFile",
         .card = base.text(),
         .files = {{"set1.dat", kSet1}, {"set2.dat", "2 2 1\n1 0 1\n0 x 0\n"}},
         .ending = Ending::Diagnostic,
         .expected = "set2.dat:3: record 3, item 2"});
    add({.name = "ScoresMatchingNoScorePoint",
         .card = base.text(),
         .files = {{"set1.dat", replaceAll(kSet1, "0 1 1 0\n", "0.5 1 7 0\n")},
                   {"set2.dat", kSet2}},
         .ending = Ending::Success});
    add({.name = "FirstDataFileWithoutCompleteRecord",
         .card = base.text(),
         .files = {{"set1.dat", "1 1 1\n"}, {"set2.dat", kSet2}},
         .expected = "Error! The data file set1.dat holds no complete record of 4 item scores."});
    add({.name = "FirstDataFileEmpty",
         .card = base.text(),
         .files = {{"set1.dat", ""}, {"set2.dat", kSet2}},
         .expected = "holds no complete record"});
    add({.name = "FirstDataFileMissing",
         .card = base.text(),
         .files = {{"set2.dat", kSet2}},
         .expected = "Error! Data file is not found!"});
    add({.name = "SecondDataFileMissingInFirstPass",
         .card = base.text(),
         .files = {{"set1.dat", kSet1}},
         .expected = "Error! Data file is not found!"});
    add({.name = "DataFileIsAFolder",
         .card = edited([](Card& c) { c.sets[1].dataFile = "."; }).text(),
         .expected = "Error! Data file is not found!"});
    // The second pass opens every data file again; one that has gone since
    // the first pass stops the run there.
    {
        const Card withBias = edited([](Card& c) { c.bias = "1"; });
        add({.name = "SecondDataFileGoneBeforeSecondPass",
             .card = withBias.text(),
             .expected = "Error! Data file is not found!",
             .setup = Setup::VanishingDataFile,
             .vanishing = "set2.dat",
             .vanishingReads = 1});
        add({.name = "FirstDataFileGoneBeforeSecondPass",
             .card = withBias.text(),
             .expected = "Error! Data file is not found!",
             .setup = Setup::VanishingDataFile,
             .vanishing = "set1.dat",
             .vanishingReads = 1});  // counting and loading share the first pass's read
    }

    // --- Reliability below 0 with bias correction: every examinee has nearly
    // the same total (5 or 6 of 10) by different patterns, so the average
    // error variance is far above the sample variance.
    {
        Card card = edited([](Card& c) {
            c.setCount = "1";
            c.sets.resize(1);
            c.sets[0].items = "10";
            c.observedCuts = c.trueCuts = "3 7";
            c.bias = "1";
        });
        const std::string data =
            "1 1 1 1 1 0 0 0 0 0\n0 0 0 0 0 1 1 1 1 1 1\n1 0 1 0 1 0 1 0 1 0\n"
            "0 1 0 1 0 1 0 1 0 1\n1 1 0 0 1 1 0 0 1 1\n0 0 1 1 0 0 1 1 0 1\n";
        add({.name = "NegativeReliabilityWithBiasCorrection",
             .card = card.text(),
             .files = {{"set1.dat", data}},
             .expected = "Error! The reliability (-"});
    }

    // --- Where the report goes.
    cardCase("OutputInMissingFolder",
             edited([](Card& c) { c.outputFile = "'nowhere/report.out'"; }), Ending::Diagnostic,
             "cannot write the report file nowhere/report.out");
    add({.name = "OutputUnderARegularFile",
         .card = edited([](Card& c) { c.outputFile = "'plain.txt/report.out'"; }).text(),
         .files =
             [] {
                 Files f = baselineFiles();
                 f["plain.txt"] = "not a folder\n";
                 return f;
             }(),
         .ending = Ending::Diagnostic,
         .expected = "cannot write the report file plain.txt/report.out"});
    add({.name = "OutputInReadOnlyFolder",
         .card = edited([](Card& c) { c.outputFile = "'locked/report.out'"; }).text(),
         .ending = Ending::Diagnostic,
         .expected = "cannot write the report file locked/report.out",
         .setup = Setup::ReadOnlyFolder});
    cardCase("OutputIsAFolder", edited([](Card& c) { c.outputFile = "."; }), Ending::Diagnostic,
             "cannot write the report file .");
    cardCase("OutputIsTheControlCard", edited([](Card& c) { c.outputFile = "card.txt"; }),
             Ending::ConsoleError, "Error! The output file card.txt is the control card itself.");
    cardCase("OutputIsTheControlCardByAnotherPath",
             edited([](Card& c) { c.outputFile = "\"./sub/../card.txt\""; }), Ending::ConsoleError,
             "is the control card itself");
    cardCase("OutputIsADataFile", edited([](Card& c) { c.outputFile = "set2.dat"; }),
             Ending::ConsoleError, "Error! The output file set2.dat is the data file of set 2.");
    add({.name = "OutputIsADataFileThroughALink",
         .card = edited([](Card& c) { c.outputFile = "link.out"; }).text(),
         .expected = "is the data file of set 1"});

    // --- Outputs onto inputs, or onto each other, from the command line.
    const auto withFiles = [](Files more) {
        Files files = baselineFiles();
        files.merge(more);
        return files;
    };
    const auto commandLine = [&](std::string name, Files more, std::vector<std::string> arguments,
                                 std::string expected, const Card& card = baselineCard()) {
        add({.name = std::move(name),
             .card = card.text(),
             .files = withFiles(std::move(more)),
             .ending = Ending::Diagnostic,
             .expected = std::move(expected),
             .arguments = std::move(arguments)});
    };
    commandLine("ReportIsTheScaleTable", {{"scale.csv", kScaleTable}},
                {"--scale", "scale.csv", "card.txt"},
                "the report of card.txt is the --scale table (scale.csv)",
                edited([](Card& c) { c.outputFile = "scale.csv"; }));
    commandLine("ReportIsTheAnalysisFilesScaleTable",
                {{"a.toml", baselineAnalysisFile("report = \"scale.csv\"",
                                                 "[scale]\ntable = \"scale.csv\"\n")},
                 {"scale.csv", kScaleTable}},
                {"a.toml"}, "the report of a.toml is the conversion table of a.toml (scale.csv)");
    commandLine("ResultsFolderHoldsTheDataTable",
                {{"a.toml", baselineTableAnalysisFile("out/examinees.csv", "results = \"out\"")},
                 {"out/examinees.csv", kBaselineTable}},
                {"a.toml"},
                "the data table of a.toml is in the results folder of a.toml (out), which a run "
                "replaces whole");
    commandLine("ResultsFolderHoldsTheControlCard", {}, {"--results", ".", "card.txt"},
                "the control card card.txt is in the results folder of card.txt (.)");
    commandLine("ResultsFolderIsADataFile", {}, {"--results", "set2.dat", "card.txt"},
                "the results folder of card.txt is the data file of set 2 of card.txt (set2.dat)");
    commandLine("ReportInTheResultsFolder", {}, {"--results", "sub", "card.txt"},
                "the report of card.txt is in the results folder of card.txt (sub)",
                edited([](Card& c) { c.outputFile = "'sub/report.out'"; }));
    commandLine("ResultsFolderHoldsOtherFiles",
                {{"out/results.json", "{}"}, {"out/notes.txt", "mine\n"}},
                {"--results", "out", "card.txt"},
                "the results directory out holds notes.txt, which is not a results file");
    // The report cannot be written: the results folder is not written either.
    commandLine("UnwritableReportWritesNoResultsFolder", {}, {"--results", "new/out", "card.txt"},
                "cannot write the report file nowhere/report.out",
                edited([](Card& c) { c.outputFile = "'nowhere/report.out'"; }));
    commandLine("UnwritableReportKeepsTheOldResultsFolder", {{"out/results.json", "{}"}},
                {"--results", "out", "card.txt"}, "cannot write the report file nowhere/report.out",
                edited([](Card& c) { c.outputFile = "'nowhere/report.out'"; }));

    // --- A testing program: every test's paths are checked before any runs.
    commandLine("ProgramReportIsAnotherTestsDataFile",
                {{"b.txt", edited([](Card& c) { c.outputFile = "set1.dat"; }).text()}},
                {"card.txt", "b.txt"},
                "the report of b.txt is the data file of set 1 of card.txt (set1.dat)");
    commandLine("ProgramReportIsAnotherTestsAnalysisFile",
                {{"a.toml", baselineAnalysisFile("report = \"a.out\"", "")},
                 {"b.txt", edited([](Card& c) { c.outputFile = "a.toml"; }).text()}},
                {"a.toml", "b.txt"}, "the report of b.txt is the analysis file a.toml (a.toml)");
    commandLine("ProgramTwoTestsOneReport", {{"b.txt", baselineCard().text()}},
                {"card.txt", "b.txt"},
                "the report of card.txt is the report of b.txt (report.out)");
    commandLine("ProgramTwoTestsOneReportByAnotherPath",
                {{"b.txt", edited([](Card& c) { c.outputFile = "\"sub/../report.out\""; }).text()}},
                {"card.txt", "b.txt"},
                "the report of card.txt is the report of b.txt (report.out)");
    commandLine("ProgramTwoTestsOneResultsFolder",
                {{"a.toml", baselineAnalysisFile("results = \"out\"", "")},
                 {"b.toml", baselineAnalysisFile("results = \"out\"", "")}},
                {"a.toml", "b.toml"},
                "the results folder of a.toml is the results folder of b.toml");
    commandLine("ProgramReportIsASummaryFile",
                {{"b.txt", edited([](Card& c) { c.outputFile = "b.out"; }).text()}},
                {"--results", "sub", "card.txt", "b.txt"},
                "the report of card.txt is the program's summary sub/summary.csv",
                edited([](Card& c) { c.outputFile = "'sub/summary.csv'"; }));
    commandLine("ProgramFileGivenTwice", {}, {"card.txt", "card.txt"},
                "the report of card.txt is written twice (report.out)");

    // --- Only regular files are read: a named pipe or a device is refused
    // at once instead of blocking or growing for ever.
    add({.name = "ControlCardIsANamedPipe",
         .card = base.text(),
         .ending = Ending::Diagnostic,
         .expected = "card.pipe is not a regular file (a named pipe)",
         .typed = "card.pipe\n\n",
         .setup = Setup::NamedPipe,
         .special = "card.pipe"});
    add({.name = "DataFileIsANamedPipe",
         .card = edited([](Card& c) { c.sets[1].dataFile = "set2.pipe"; }).text(),
         .ending = Ending::Diagnostic,
         .expected = "set2.pipe is not a regular file (a named pipe)",
         .setup = Setup::NamedPipe,
         .special = "set2.pipe"});
    add({.name = "DataFileIsADevice",
         .card = edited([](Card& c) { c.sets[0].dataFile = "zero.dat"; }).text(),
         .ending = Ending::Diagnostic,
         .expected = "zero.dat is not a regular file (a device)",
         .setup = Setup::Device,
         .special = "zero.dat"});
    add({.name = "ControlCardIsADeviceOnTheCommandLine",
         .card = base.text(),
         .ending = Ending::Diagnostic,
         .expected = "zero.txt is not a regular file (a device)",
         .setup = Setup::Device,
         .arguments = {"zero.txt"},
         .special = "zero.txt"});
    add({.name = "AnalysisFileIsANamedPipe",
         .files = analysisFiles(),
         .ending = Ending::Diagnostic,
         .expected = "b.toml is not a regular file (a named pipe)",
         .setup = Setup::NamedPipe,
         .arguments = {"b.toml"},
         .special = "b.toml"});
    add({.name = "TableIsANamedPipe",
         .files = {{"a.toml", analysisFile("pipe.csv")}},
         .ending = Ending::Diagnostic,
         .expected = "pipe.csv is not a regular file (a named pipe)",
         .setup = Setup::NamedPipe,
         .arguments = {"a.toml"},
         .special = "pipe.csv"});
    add({.name = "TableIsADevice",
         .files = {{"a.toml", analysisFile("zero.csv")}},
         .ending = Ending::Diagnostic,
         .expected = "zero.csv is not a regular file (a device)",
         .setup = Setup::Device,
         .arguments = {"a.toml"},
         .special = "zero.csv"});
    add({.name = "ScaleTableIsANamedPipe",
         .card = base.text(),
         .ending = Ending::Diagnostic,
         .expected = "scale.pipe is not a regular file (a named pipe)",
         .setup = Setup::NamedPipe,
         .arguments = {"--scale", "scale.pipe", "card.txt"},
         .special = "scale.pipe"});

    // --- A cell of a table is at most 1 MiB: a line of 10 MB in one cell is
    // refused after the first megabyte, quoted or not, naming row and column.
    add({.name = "TenMegabyteUnquotedCell",
         .files = analysisFiles(replaceAll(kTable, "s3,x,", "s3,xLONG,")),
         .ending = Ending::Diagnostic,
         .expected = "t.csv: row 3, column g: the cell is longer than 1048576 bytes",
         .longLine = "x",
         .arguments = {"a.toml"}});
    add({.name = "TenMegabyteQuotedCell",
         .files = analysisFiles(replaceAll(kTable, "s3,x,", "s3,\"xLONG\",")),
         .ending = Ending::Diagnostic,
         .expected = "t.csv: row 3, column g: the cell is longer than 1048576 bytes",
         .longLine = "x",
         .arguments = {"a.toml"}});
    add({.name = "TenMegabyteHeaderCell",
         .files = analysisFiles(replaceAll(kTable, "id,g,", "id,gLONG,")),
         .ending = Ending::Diagnostic,
         .expected = "t.csv: the header row, column 2: the cell is longer than 1048576 bytes",
         .longLine = "g",
         .arguments = {"a.toml"}});
    add({.name = "TenMegabyteRowOfShortCells",
         .files = analysisFiles(replaceAll(kTable, "s3,x,1,0,0,0", "s3,x,1,0,0,0LONG")),
         .ending = Ending::Diagnostic,
         .expected = "t.csv: row 3 has",
         .longLine = ",1",
         .arguments = {"a.toml"}});

    // --- An analysis file is refused before the TOML parser sees it when
    // its keys nest too deep or it is too large.
    {
        std::string deep = "x";
        for (int part = 1; part < 40000; ++part) deep += ".x";
        add({.name = "AnalysisFileKeyOf40000DottedParts",
             .files = {{"a.toml", analysisFile() + "[options]\n" + deep + " = 1\n"},
                       {"t.csv", kTable}},
             .ending = Ending::Diagnostic,
             .expected = "a.toml:13: keys and tables are nested more than 64 deep",
             .arguments = {"a.toml"}});
        add({.name = "AnalysisFileNestedArrays",
             .files = {{"a.toml", analysisFile() + "[options]\nx = " + std::string(5000, '[') +
                                      std::string(5000, ']') + "\n"},
                       {"t.csv", kTable}},
             .ending = Ending::Diagnostic,
             .expected = "nested more than 64 deep",
             .arguments = {"a.toml"}});
        add({.name = "AnalysisFileOfTenMegabytes",
             .files = {{"a.toml", analysisFile() + "# LONG\n"}, {"t.csv", kTable}},
             .ending = Ending::Diagnostic,
             .expected = "a.toml: the analysis file is larger than 1048576 bytes",
             .longLine = "x",
             .arguments = {"a.toml"}});
    }

    // --- The sweep's table: a target is a proportion, and its keys are known.
    add({.name = "SweepTargetAboveOne",
         .files = {{"a.toml", analysisFile() + "[sweep]\ntarget_ppv = 1.5\n"}, {"t.csv", kTable}},
         .ending = Ending::Diagnostic,
         .expected = "a.toml:13: sweep.target_ppv: must be a proportion from 0 to 1",
         .arguments = {"a.toml"}});
    add({.name = "SweepUnknownKey",
         .files = {{"a.toml", analysisFile() + "[sweep]\ntarget_sensitivty = 0.9\n"},
                   {"t.csv", kTable}},
         .ending = Ending::Diagnostic,
         .expected = "target_sensitivity",
         .arguments = {"a.toml"}});

    // --- Several models: each names a folder of its own, and a method goes
    // to a model of its kind.
    add({.name = "ModelNameThatIsAPath",
         .files = {{"a.toml", analysisFile() + "[[model]]\nname = \"../up\"\n"}, {"t.csv", kTable}},
         .ending = Ending::Diagnostic,
         .expected = "a.toml:13: model[1].name: \"../up\" cannot name a model's folder",
         .arguments = {"a.toml"}});
    add({.name = "EmptyModelList",
         .files = {{"a.toml", "model = []\n" + analysisFile()}, {"t.csv", kTable}},
         .ending = Ending::Diagnostic,
         .expected = "model: names no model",
         .arguments = {"a.toml"}});
    add({.name = "UnknownKeyOfTheSecondModel",
         .files = {{"a.toml", analysisFile() + "[[model]]\nkind = \"multinomial\"\n[[model]]\n"
                                               "kind = \"beta-binomial\"\nreliabilty = 0.8\n"},
                   {"t.csv", kTable}},
         .ending = Ending::Diagnostic,
         .expected = "model[2].reliabilty",
         .arguments = {"a.toml"}});
    add({.name = "MethodOfAModelNotNamed",
         .files = analysisFiles(),
         .ending = Ending::Diagnostic,
         .expected = "the method \"hb\" belongs to the beta-binomial model, not to "
                     "\"multinomial\"",
         .arguments = {"--model", "multinomial", "--method", "hb", "a.toml"}});
    add({.name = "OneModelNamedTwice",
         .files = analysisFiles(),
         .ending = Ending::Diagnostic,
         .expected = "two models are both named \"multinomial\"",
         .arguments = {"--model", "multinomial", "--model", "multinomial", "a.toml"}});

    // --- Work limits: the bootstrap's memory is estimated before it is
    // allocated, and a run that would not fit is refused at once.
    add({.name = "BootstrapOfAHundredMillionOnNineExaminees",
         .files = analysisFiles(),
         .ending = Ending::Diagnostic,
         .expected = "the bootstrap of 100000000 replicates would need about",
         .arguments = {"--bootstrap", "100000000", "a.toml"},
         .seconds = 5});
    add({.name = "BootstrapOfAHundredThousandGroupLevels",
         .files = analysisFiles(tableOfLevels(100000)),
         .ending = Ending::Diagnostic,
         .expected = "GB of memory, more than --max-memory 2.0 GB",
         .arguments = {"--bootstrap", "200", "--max-memory", "2GB", "a.toml"}});
    add({.name = "FourBillionThreads",
         .files = analysisFiles(),
         .ending = Ending::Usage,
         .expected = "--threads: '4294967295' is too large (at most 1024)",
         .arguments = {"--threads", "4294967295", "a.toml"}});
    add({.name = "MaxMemoryWithoutAUnit",
         .files = analysisFiles(),
         .ending = Ending::Usage,
         .expected = "expects a memory size",
         .arguments = {"--max-memory", "lots", "a.toml"}});

    // --- Binary tables cut short.
    add({.name = "TransportFileCutInARecord",
         .files = {{"a.toml",
                    replaceAll(replaceAll(analysisFile("t.xpt", "A:D"), "\"id\"", "\"ID\""),
                               "\"g\"", "\"G\"")}},
         .ending = Ending::Diagnostic,
         .expected = "t.xpt: the file ends in the middle of an 80-byte record",
         .arguments = {"a.toml"},
         .made = {{"t.xpt", [] { return transportTable(transportTable(0).size() / 2 + 7); }}}});

    // --- Blank lines at the prompt cost no more than their bytes.
    add({.name = "HundredThousandBlankLinesAtThePrompt",
         .card = base.text(),
         .ending = Ending::SameAsBaseline,
         .typed = std::string(100000, '\n') + "card.txt\n\n",
         .seconds = 3});

    // --- Text that a spreadsheet would open as a formula is written behind
    // a quote in the results' CSV files; the numbers are as they were.
    add({.name = "FormulasInIdsAndGroupLevels",
         .files = {{"a.toml", analysisFile("t.csv", "a:d", "results = \"out\"\n")},
                   {"t.csv", replaceAll(replaceAll(replaceAll(kTable, "s1,x,", "=HYPERLINK(1),x,"),
                                                   "s2,y,", "+cmd|x,-2+3,"),
                                        "s4,y,", "@SUM(1),y,")}},
         .ending = Ending::Success,
         .arguments = {"a.toml"},
         .writes = "out",
         .holds = {{"out/examinees.csv", "\r\n2,'+cmd|x,"},
                   {"out/examinees.csv", "\r\n1,'=HYPERLINK(1),"},
                   {"out/examinees.csv", "\r\n4,'@SUM(1),"},
                   {"out/groups.csv", "\r\ng,'-2+3,1,"}}});

    // --- Messages.
    add({.name = "ScaleTableWithCarriageReturnsOnly",
         .card = base.text(),
         .files =
             [] {
                 Files f = baselineFiles();
                 f["scale.csv"] = scaleTable("raw,scale", "\r");
                 return f;
             }(),
         .ending = Ending::Success,
         .arguments = {"--scale", "scale.csv", "card.txt"}});
    add({.name = "ScaleTableQuotedDecimalComma",
         .card = base.text(),
         .files =
             [] {
                 Files f = baselineFiles();
                 f["scale.csv"] = replaceAll(scaleTable(), "\n3,106\n", "\n3,\"1,20\"\n");
                 return f;
             }(),
         .ending = Ending::Diagnostic,
         .expected = "scale.csv, line 5, column scale: \"1,20\" is not a number (write decimals",
         .arguments = {"--scale", "scale.csv", "card.txt"}});
    add({.name = "ScaleTableWithRawTwice",
         .card = base.text(),
         .files =
             [] {
                 Files f = baselineFiles();
                 f["scale.csv"] = replaceAll(scaleTable("raw,scale,raw"), ",", ",");
                 return f;
             }(),
         .ending = Ending::Diagnostic,
         .expected = "scale.csv, line 1: the header row names the column raw twice",
         .arguments = {"--scale", "scale.csv", "card.txt"}});
    add({.name = "ScaleTableLongValue",
         .card = base.text(),
         .files =
             [] {
                 Files f = baselineFiles();
                 f["scale.csv"] =
                     replaceAll(scaleTable(), "\n3,106\n", "\n3," + std::string(5000, 'q') + "\n");
                 return f;
             }(),
         .ending = Ending::Diagnostic,
         .expected = std::string(200, 'q') + "\xE2\x80\xA6\" is not a number",
         .arguments = {"--scale", "scale.csv", "card.txt"}});
    add({.name = "ControlBytesInTheReportName",
         .card = edited([](Card& c) { c.outputFile = "'nowhere/\x1b[31mred\x07.out'"; }).text(),
         .ending = Ending::Diagnostic,
         .expected = "nowhere/\\x1b[31mred\\x07.out"});
    add({.name = "ControlBytesInTheNameAtThePrompt",
         .card = base.text(),
         .expected = "Error! File: \\x1b[2Jgone",
         .typed = "'\x1b[2Jgone'\n\n"});
    add({.name = "EmptyItems",
         .files = {{"a.toml", analysisFile("t.csv", "")}, {"t.csv", kTable}},
         .ending = Ending::Diagnostic,
         .expected = "sets[1].items: names no column",
         .arguments = {"a.toml"}});
    add({.name = "QuotedNumberInADataFile",
         .card = base.text(),
         .files = {{"set1.dat", kSet1}, {"set2.dat", "2 2 1\n1 '0' 1\n"}},
         .ending = Ending::Diagnostic,
         .expected = "record 2, item 2: expected a number, found '0' in quotes",
         .arguments = {"card.txt"}});

    // --- Item parameters of the IRT model, as calibration output gives them.
    const std::string irt = "[model]\nkind = \"irt\"\n[irt]\nitems = \"p.csv\"\n";
    const std::vector<std::tuple<std::string, std::string, Ending, std::string>> parameters = {
        {"ItemWithoutParameters", "item,model,b\na,1PL,0\nb,1PL,0\nc,1PL,1\n", Ending::Diagnostic,
         "no parameters for item d of set 1"},
        {"GradedItemUnlikeTheSetsPoints",
         "item,model,a,b1,b2\na,GRM,1,0,1\nb,GRM,1,0,1\n"
         "c,GRM,1,0,1\nd,GRM,1,0,1\n",
         Ending::Diagnostic, "has 3 categories, but set 1 has 2"},
        {"GuessingAboveOne",
         "item,model,a,b,c\na,3PL,1,0,1.5\nb,3PL,1,0,0\nc,3PL,1,0,0\n"
         "d,3PL,1,0,0\n",
         Ending::Diagnostic, "'1.5' is outside [0, 1]"},
        {"UnknownItemModel", "item,model,b\na,Rasch2,0\nb,1PL,0\nc,1PL,0\nd,1PL,0\n",
         Ending::Diagnostic, "'Rasch2' is not a model"},
        {"NegativeSlope", "item,model,a,b\na,2PL,-1,0\nb,2PL,1,0\nc,2PL,1,0\nd,2PL,1,0\n",
         Ending::Success, ""},
        {"ParametersForAnItemInNoSet",
         "item,model,b\na,1PL,0\nb,1PL,0\nc,1PL,0\nd,1PL,0\n"
         "z,1PL,0\n",
         Ending::Success, ""},
    };
    for (const auto& [name, table, ending, expected] : parameters) {
        add({.name = "Irt" + name,
             .files = {{"a.toml", analysisFile("t.csv", "a:d", irt)},
                       {"t.csv", kTable},
                       {"p.csv", table}},
             .ending = ending,
             .expected = expected,
             .arguments = {"a.toml"}});
    }
    // Fewer examinees than the population's 41 nodes, which the results list.
    add({.name = "IrtPopulationNodesOutnumberTheExaminees",
         .files = {{"a.toml",
                    "[data]\nfile = \"t.csv\"\nid = \"id\"\n[[sets]]\nitems = \"a:d\"\n"
                    "points = [0, 1]\n[classification]\nobserved_cuts = [2]\n[output]\n"
                    "report = \"report.out\"\nresults = \"out\"\n[model]\n"
                    "kind = \"irt\"\nmethod = \"summed-d\"\n[irt]\n"
                    "items = \"p.csv\"\n"},
                   {"t.csv", kTable},
                   {"p.csv", "item,model,b\na,1PL,-1\nb,1PL,0\nc,1PL,0.5\nd,1PL,1\n"}},
         .ending = Ending::Success,
         .arguments = {"a.toml"},
         .writes = "out",
         .holds = {{"out/examinees.csv", "\n41,"}}});
    // Abilities given in the table, and a population given as a table.
    const std::string abilities =
        "id,g,a,b,c,d,th,se\ns1,x,1,1,1,1,0.5,0.4\ns2,y,0,1,1,0,-1,0\ns3,x,1,0,0,0,,0.4\n";
    const std::vector<std::tuple<std::string, std::string, std::string>> given = {
        {"AbilityMissing", "theta = \"th\"\n", "row 3, column th: the examinee has no value"},
        {"AbilityStandardErrorNotPositive", "theta = \"th\"\ntheta_se = \"se\"\n",
         "row 2, column se: a standard error must be a number above 0"},
        {"AbilityColumnIsAnItem", "theta = \"a\"\n", "is the ID, an item or a grouping column"},
        {"RudnerWithoutStandardErrors", "theta = \"th\"\n",
         "Rudner's method needs each examinee's standard error"},
    };
    for (const auto& [name, keys, expected] : given) {
        const std::string method = name == "RudnerWithoutStandardErrors" ? "rudner-p" : "summed-p";
        add({.name = "Irt" + name,
             .files = {{"a.toml", analysisFile("t.csv", "a:d",
                                               "[model]\nkind = \"irt\"\nmethod = \"" + method +
                                                   "\"\n[irt]\nitems = \"p.csv\"\n" + keys)},
                       {"t.csv", abilities},
                       {"p.csv", "item,model,b\na,1PL,-1\nb,1PL,0\nc,1PL,0.5\nd,1PL,1\n"}},
             .ending = Ending::Diagnostic,
             .expected = expected,
             .arguments = {"a.toml"}});
    }
    const std::vector<std::tuple<std::string, std::string, std::string>> populations = {
        {"PopulationWithoutWeights", "theta\n0\n", "the header has no column weight"},
        {"PopulationNegativeWeight", "theta,weight\n0,1\n1,-2\n",
         "row 2, column weight: each node needs a weight of 0 or more"},
        {"PopulationNodeTwice", "theta,weight\n0,1\n0,2\n", "theta 0 is a node twice"},
    };
    for (const auto& [name, table, expected] : populations) {
        add({.name = "Irt" + name,
             .files = {{"a.toml",
                        "[data]\nfile = \"t.csv\"\nid = \"id\"\n[[sets]]\nitems = \"a:d\"\n"
                        "points = [0, 1]\n[classification]\nobserved_cuts = [2]\n[output]\n"
                        "report = \"report.out\"\n[model]\nkind = \"irt\"\n"
                        "method = \"summed-d\"\n[irt]\nitems = \"p.csv\"\n"
                        "population = \"n.csv\"\n"},
                       {"t.csv", kTable},
                       {"n.csv", table},
                       {"p.csv", "item,model,b\na,1PL,-1\nb,1PL,0\nc,1PL,0.5\nd,1PL,1\n"}},
             .ending = Ending::Diagnostic,
             .expected = expected,
             .arguments = {"a.toml"}});
    }
    // A subgroup the beta-binomial cannot fit on its own: the run goes on,
    // and says why the level has no indices.
    add({.name = "BetaBinomialLevelTooSmallToFit",
         .files = {{"a.toml", analysisFile("t.csv", "a:d",
                                           "results = \"out\"\n[model]\n"
                                           "kind = \"beta-binomial\"\nreliability = 0.7\n")},
                   {"t.csv", std::string(kTable) + "s10,z,1,0,0,1\n"}},
         .ending = Ending::Success,
         .arguments = {"a.toml"},
         .writes = "out",
         .holds = {{"out/results.json", "z: "}}});
    add({.name = "HansonBrennanOnTwoSets",
         .card = base.text(),
         .ending = Ending::Diagnostic,
         .expected = "the Hanson-Brennan method is for one set of items scored 0 and 1",
         .arguments = {"--model", "beta-binomial", "--method", "hb", "card.txt"}});

    return cases;
}

// Every file under the folder with its bytes and its time of last change (a
// folder or anything else by its kind).
std::map<std::string, std::string> snapshot(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        if (entry.is_symlink()) {
            files[name] = "<link to " + fs::read_symlink(entry.path()).string() + ">";
        } else if (entry.is_regular_file()) {
            const auto changed = fs::last_write_time(entry.path()).time_since_epoch().count();
            files[name] = readFile(entry.path()) + "<changed " + std::to_string(changed) + ">";
        } else {
            files[name] = entry.is_directory() ? "<folder>" : "<special>";
        }
    }
    return files;
}

// Names of the files added, removed or changed (contents can be megabytes).
std::string differences(const std::map<std::string, std::string>& before,
                        const std::map<std::string, std::string>& after) {
    std::string names;
    for (const auto& [name, text] : before) {
        const auto found = after.find(name);
        if (found == after.end())
            names += " removed:" + name;
        else if (found->second != text)
            names += " changed:" + name;
    }
    for (const auto& [name, text] : after) {
        if (!before.count(name)) names += " added:" + name;
    }
    return names;
}

// Sets or clears the immutable attribute of a folder: with it not even the
// superuser can create a file there. Returns false where the file system has no such attribute.
bool setImmutable(const fs::path& folder, bool on) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return done;
}

// Lets the first `reads` opens of a file through and refuses every later
// one, as if the file had gone after them: fanotify holds each open of the
// file until it is answered, so the count is exact however the run is timed.
class OpenGate {
  public:
    OpenGate(const fs::path& file, int reads) : reads_(reads) {
        fd_ = ::fanotify_init(FAN_CLASS_CONTENT | FAN_CLOEXEC | FAN_NONBLOCK, O_RDONLY);
        if (fd_ < 0) return;
        if (::fanotify_mark(fd_, FAN_MARK_ADD, FAN_OPEN_PERM, AT_FDCWD, file.c_str()) != 0) {
            ::close(fd_);
            fd_ = -1;
            return;
        }
        thread_ = std::thread([this] { answer(); });
    }
    ~OpenGate() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (fd_ >= 0) ::close(fd_);
    }
    OpenGate(const OpenGate&) = delete;
    OpenGate& operator=(const OpenGate&) = delete;

    // False where fanotify is not permitted (it needs the superuser).
    bool active() const { return fd_ >= 0; }

  private:
    void answer() {
        alignas(fanotify_event_metadata) char buffer[4096];
        while (!stop_) {
            pollfd ready{fd_, POLLIN, 0};
            if (::poll(&ready, 1, 20) <= 0) continue;
            const ssize_t got = ::read(fd_, buffer, sizeof buffer);
            if (got <= 0) continue;
            auto* event = reinterpret_cast<fanotify_event_metadata*>(buffer);
            for (ssize_t left = got; FAN_EVENT_OK(event, left);
                 event = FAN_EVENT_NEXT(event, left)) {
                if (event->fd < 0) continue;
                const fanotify_response response{
                    event->fd, static_cast<__u32>(opens_++ < reads_ ? FAN_ALLOW : FAN_DENY)};
                [[maybe_unused]] const ssize_t sent = ::write(fd_, &response, sizeof response);
                ::close(event->fd);
            }
        }
    }

    int fd_ = -1;
    int reads_;
    int opens_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

const std::string& baselineReport() {
    static const std::string report = [] {
        const fs::path work = tl::testing::makeScratchDirectory("catalogue-baseline");
        writeFile(work / "card.txt", baselineCard().text());
        for (const auto& [name, text] : baselineFiles()) writeFile(work / name, text);
        const auto result = tl::testing::runProgram(work, "card.txt\n\n", 30);
        std::string text = result.exitStatus == 0 ? readFile(work / "report.out") : "";
        fs::remove_all(work);
        return text;
    }();
    return report;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.push_back(text.substr(start, end - start));
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

class BadInput : public ::testing::TestWithParam<Case> {};

TEST_P(BadInput, EndsWithOneLineAndTouchesNoFile) {
    const Case& c = GetParam();
    const fs::path work = tl::testing::makeScratchDirectory("catalogue");
    std::string longLine;
    if (!c.longLine.empty()) {
        longLine.reserve(10'000'000 + c.longLine.size());
        while (longLine.size() < 10'000'000) longLine += c.longLine;
    }
    const auto expand = [&](const std::string& text) {
        return longLine.empty() ? text : replaceAll(text, "LONG", longLine);
    };
    if (!c.card.empty() || c.files.count("a.toml") == 0)
        writeFile(work / "card.txt", expand(c.card));
    for (const auto& [name, text] : c.files) {
        fs::create_directories((work / name).parent_path());
        writeFile(work / name, expand(text));
    }
    for (const auto& [name, make] : c.made) writeFile(work / name, make());
    writeFile(work / "report.out", kOldReport);
    if (c.name == "OutputIsADataFileThroughALink")
        fs::create_symlink("set1.dat", work / "link.out");
    fs::create_directory(work / "sub");

    bool locked = false;
    if (c.setup == Setup::ReadOnlyFolder) {
        fs::create_directory(work / "locked");
        writeFile(work / "locked" / "report.out", kOldReport);
        if (::geteuid() != 0) {
            fs::permissions(work / "locked", fs::perms::owner_read | fs::perms::owner_exec);
        } else if (!(locked = setImmutable(work / "locked", true))) {
            fs::remove_all(work);
            GTEST_SKIP()
                << "running as the superuser, whom permission bits do not stop, on a file "
                   "system without the immutable attribute: no folder here refuses a write";
        }
    }
    if (c.setup == Setup::NamedPipe) {
        ASSERT_EQ(::mkfifo((work / c.special).c_str(), 0644), 0);
    }
    if (c.setup == Setup::Device) fs::create_symlink("/dev/zero", work / c.special);

    const std::map<std::string, std::string> before = snapshot(work);
    std::optional<OpenGate> gate;
    if (c.setup == Setup::VanishingDataFile) {
        gate.emplace(work / c.vanishing, c.vanishingReads);
        if (!gate->active()) {
            fs::remove_all(work);
            GTEST_SKIP() << "fanotify is not permitted here (it needs the superuser)";
        }
    }

    const bool dialogue = c.arguments.empty();
    const auto start = std::chrono::steady_clock::now();
    const auto result = tl::testing::runProgram(work, dialogue ? c.typed : "",
                                                static_cast<int>(c.seconds), c.arguments);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    gate.reset();

    EXPECT_FALSE(result.timedOut) << "still running after " << c.seconds << " s";
    EXPECT_EQ(result.signal, 0) << "ended by a signal";
    EXPECT_LT(seconds, c.seconds);

    std::vector<std::string> out = linesOf(result.out);
    const std::vector<std::string> err = linesOf(tl::testing::withoutWarnings(result.err));
    if (dialogue) {
        ASSERT_FALSE(out.empty());
        EXPECT_EQ(out[0], "Enter control card file name:");
    } else {
        out.insert(out.begin(), "(no dialogue)");
    }
    const std::string prompt = dialogue ? "Enter control card file name:\n" : "";
    switch (c.ending) {
        case Ending::Success:
        case Ending::SameAsBaseline:
            EXPECT_EQ(result.exitStatus, 0) << result.out << result.err;
            EXPECT_EQ(result.out, prompt + "Successful execution!\n" +
                                      (dialogue ? "Press Enter to continue.\n" : ""));
            EXPECT_EQ(tl::testing::withoutWarnings(result.err), "");
            break;
        case Ending::ConsoleError: {
            EXPECT_EQ(result.exitStatus, 1) << result.out << result.err;
            ASSERT_EQ(out.size(), 3u) << result.out;
            const std::string& line = out[1];
            const bool stopped = line == "# item sets greater than 9: Stopped!" ||
                                 line == "# score categories greater than 15: Stopped!";
            EXPECT_TRUE(stopped || line.rfind("Error! ", 0) == 0) << line;
            EXPECT_NE(line.find(c.expected), std::string::npos) << line;
            EXPECT_EQ(out[2], "Press Enter to continue.");
            EXPECT_EQ(tl::testing::withoutWarnings(result.err), "");
            break;
        }
        case Ending::Diagnostic:
            EXPECT_EQ(result.exitStatus, 2) << result.out << result.err;
            EXPECT_EQ(out.size(), 1u) << result.out;
            ASSERT_EQ(err.size(), 1u) << result.err;
            EXPECT_EQ(tl::testing::withoutWarnings(result.err).back(), '\n');
            EXPECT_EQ(err[0].rfind("tesserlink: ", 0), 0u) << err[0];
            EXPECT_NE(err[0].find(c.expected), std::string::npos) << err[0];
            // One short line: a quoted value is cut after 200 characters.
            EXPECT_LT(err[0].size(), 360u) << "a diagnostic is one short line";
            EXPECT_EQ(err[0].find('\x1b'), std::string::npos) << "control bytes are escaped";
            break;
        case Ending::Usage:
            EXPECT_EQ(result.exitStatus, 2) << result.out << result.err;
            EXPECT_EQ(result.out, "");
            ASSERT_EQ(err.size(), 3u) << result.err;
            EXPECT_EQ(err[0].rfind("tesserlink: ", 0), 0u) << err[0];
            EXPECT_NE(err[0].find(c.expected), std::string::npos) << err[0];
            EXPECT_EQ(err[1], "Usage: tesserlink [OPTIONS] [FILE...]");
            break;
    }

    if (locked) setImmutable(work / "locked", false);
    fs::permissions(work, fs::perms::owner_all, fs::perm_options::add);
    if (fs::exists(work / "locked")) fs::permissions(work / "locked", fs::perms::owner_all);

    std::map<std::string, std::string> after = snapshot(work);
    const bool succeeded = c.ending == Ending::Success || c.ending == Ending::SameAsBaseline;
    for (const auto& [name, text] : c.holds) {
        ASSERT_TRUE(after.count(name)) << name;
        EXPECT_NE(after[name].find(text), std::string::npos) << name << " lacks " << text;
    }
    if (!c.writes.empty()) {
        std::erase_if(after, [&](const auto& entry) { return entry.first.starts_with(c.writes); });
    }
    if (succeeded) {
        ASSERT_TRUE(after.count("report.out"));
        const std::string report = readFile(work / "report.out");
        EXPECT_NE(report, kOldReport);
        if (c.ending == Ending::SameAsBaseline) {
            ASSERT_FALSE(baselineReport().empty());
            EXPECT_EQ(report, baselineReport());
        }
        after["report.out"] = before.at("report.out");
    }
    // Every file as it was, the report of an earlier run included, and no
    // half-written temporary file beside it.
    EXPECT_EQ(differences(before, after), "");
    fs::remove_all(work);
}

INSTANTIATE_TEST_SUITE_P(Catalogue, BadInput, ::testing::ValuesIn(catalogue()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
