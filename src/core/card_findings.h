#pragma once

#include <string>
#include <vector>

namespace tl {

// A file name the free-format rules cut short: an unquoted slash ends a read,
// so "out/report.txt" is read as "out".
struct CutName {
    int line = 0;
    std::string what;     // "the output file name", "the data file name of set 2"
    std::string kept;     // what was read
    std::string written;  // what the line holds, up to the next blank
};

// A number that looks written with a decimal comma: "0,5" where one value was
// wanted is read as 0, the comma ending the value.
struct DecimalComma {
    int line = 0;
    std::string what;     // "the weight of set 1"
    std::string written;  // the text as it stands on the line
};

// What the control card reader saw that the rules accept but the analyst
// probably did not mean.
struct CardFindings {
    std::vector<CutName> cutNames;
    std::vector<DecimalComma> decimalCommas;
};

}  // namespace tl
