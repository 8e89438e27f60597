#pragma once

// Builds control card text for tests: every field is written as the text that
// goes on its line, so a test can put anything (comments, repeats, quotes,
// malformed values) exactly where it wants.

#include <string>
#include <vector>

namespace tl::testing {

struct SetText {
    std::string weight = "1";
    std::string items = "4";
    std::string pointCount = "3";
    std::string points = "0 1 2";
    std::string dataFile = "a.dat";
};

struct CardText {
    std::vector<SetText> sets = {SetText{}};
    std::string setCount;  // empty: the number of sets above
    std::string categories = "2";
    std::string observedCuts = "4";
    std::string trueCuts = "4";
    std::string conditional = "0";
    std::string outputFile = "out.txt";
    std::string bias = "0";
    std::string lineEnd = "\n";

    // One line per read, in the order of the card (headings included).
    std::vector<std::string> lines() const {
        std::vector<std::string> out = {"$Number of item sets",
                                        setCount.empty() ? std::to_string(sets.size()) : setCount};
        for (std::size_t s = 0; s < sets.size(); ++s) {
            out.push_back("$Set" + std::to_string(s + 1) +
                          ": weight, #items, #score points, score points, data file");
            out.insert(out.end(), {sets[s].weight, sets[s].items, sets[s].pointCount,
                                   sets[s].points, sets[s].dataFile});
        }
        out.insert(out.end(),
                   {"$#categories, observed cut scores, true cut scores", categories, observedCuts,
                    trueCuts, "$Conditional results (Yes=1, No=0)", conditional, "$Output file",
                    outputFile, "$Bias correction (Yes=1, No=0)", bias});
        return out;
    }
    // The card cut short: only its first `count` lines.
    std::string firstLines(std::size_t count) const {
        std::string t;
        const std::vector<std::string> all = lines();
        for (std::size_t i = 0; i < count && i < all.size(); ++i) t += all[i] + lineEnd;
        return t;
    }
    std::string str() const { return firstLines(lines().size()); }
    std::string text() const { return str(); }
};
}  // namespace tl::testing
