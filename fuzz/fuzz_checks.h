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

}  // namespace tl::fuzz
