#pragma once

#include <string>
#include <string_view>

namespace tl::fuzz {

// What each fuzz target does with one input, shared with the regression test
// that replays the inputs the fuzzers once broke. Each returns a description
// of a broken promise, or "" when the input was handled as it must be. Only the
// run's own errors (InputError, DetectedError) may end a read; any other
// exception escapes, and a crash or undefined behaviour is left to the sanitizers.

// The first byte sets how many items each read takes (1 to 16); the rest is the text.
std::string checkFreeFormatReader(std::string_view input);
// The whole input is a control card, taken through every check made before a data file is opened.
std::string checkControlCard(std::string_view input);
// The first byte picks one of a few small item sets; the rest is its data file.
std::string checkDataFile(std::string_view input);
// The whole input is an analysis file, read and, when it reads, checked as a card is.
std::string checkAnalysisFile(std::string_view input);
// The first byte picks the delimiter (found from the header, or one of four);
// the rest is a delimited table, its first column the IDs and the rest numbers.
std::string checkTable(std::string_view input);

// The generators of long inputs, which the fuzzers' few kilobytes cannot
// reach as they stand. An input is a recipe: bytes 0 and 1 give a count (up
// to 65,535 times 4), byte 2 the length of a fragment (1 to 16) and byte 3
// where it goes in the text (in 255ths of its length); then come the fragment and the text. The
// result is the text with the fragment repeated that many times at that place, for instance a key
// of 40,000 dotted parts or a line of megabytes.
std::string expandedInput(std::string_view recipe);
// The expanded input as an analysis file (deep keys, nested brackets).
std::string checkExpandedAnalysisFile(std::string_view recipe);
// The expanded input as a table (long lines, long cells), as checkTable.
std::string checkExpandedTable(std::string_view recipe);

}  // namespace tl::fuzz
