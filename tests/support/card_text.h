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

    std::string str() const {
        std::string t;
        auto line = [&](const std::string& s) { t += s + lineEnd; };
        line("$Number of item sets");
        line(setCount.empty() ? std::to_string(sets.size()) : setCount);
        for (std::size_t s = 0; s < sets.size(); ++s) {
            line("$Set" + std::to_string(s + 1) +
                 ": weight, #items, #score points, score points, data file");
            line(sets[s].weight);
            line(sets[s].items);
            line(sets[s].pointCount);
            line(sets[s].points);
            line(sets[s].dataFile);
        }
        line("$#categories, observed cut scores, true cut scores");
        line(categories);
        line(observedCuts);
        line(trueCuts);
        line("$Conditional results (Yes=1, No=0)");
        line(conditional);
        line("$Output file");
        line(outputFile);
        line("$Bias correction (Yes=1, No=0)");
        line(bias);
        return t;
    }
};

}  // namespace tl::testing
