#include "app/card_conversion.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "core/card_findings.h"
#include "core/errors.h"
#include "core/messages.h"
#include "core/number_field.h"
#include "core/one_line.h"
#include "input/control_card_reader.h"
#include "platform/text_file.h"

namespace tl {

namespace {

// A number as TOML writes it, read back as the same double; a negative zero
// is a float, since TOML's integer -0 is 0.
std::string tomlNumber(double value) {
    const std::string text = quotedNumber(value, kExactDigits);
    return text == "-0" ? "-0.0" : text;
}

std::string numberList(const std::vector<double>& values) {
    std::string text = "[";
    for (std::size_t i = 0; i < values.size(); ++i) text += (i ? ", " : "") + tomlNumber(values[i]);
    return text + "]";
}

// A TOML basic string.
std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

}  // namespace

std::string analysisFileOfCard(const ControlCard& card, const std::string& cardFile) {
    std::string t;
    t += "# The analysis file of the control card " + cardFile + ".\n";
    t += "# Its paths are relative to its own folder: keep it where the card was run from.\n\n";
    for (const ItemSet& set : card.itemSets) {
        t += "[[sets]]\n";
        t += "file = " + quoted(set.dataFile) + "\n";
        t += "items = " + std::to_string(set.itemCount) + "\n";
        t += "points = " + numberList(set.scorePoints) + "\n";
        t += "weight = " + tomlNumber(set.weight) + "\n\n";
    }
    t += "[classification]\n";
    t += "observed_cuts = " + numberList(card.observedCuts) + "\n";
    t += "true_cuts = " + numberList(card.trueCuts) + "\n";
    t += std::string("bias_correction = ") + (card.biasCorrection == 1 ? "true" : "false") + "\n\n";
    t += "[output]\n";
    t += "report = " + quoted(card.outputFile) + "\n";
    t += std::string("conditional = ") + (card.conditionalResults != 0 ? "true" : "false") + "\n";
    return t;
}

int convertCardToAnalysisFile(const std::string& cardFile, std::ostream& out, std::ostream& err) {
    try {
        const std::optional<std::string> text = readTextFile(cardFile);
        if (!text) {
            err << "tesserlink: " << oneLine(cardFile) << ": the control card does not exist\n";
            return 2;
        }
        CardFindings findings;
        const ControlCard card = readControlCard(*text, cardFile, &findings);
        if (static_cast<std::size_t>(card.categoryCount) != card.observedCuts.size() + 1 ||
            card.itemSets.empty()) {
            err << "tesserlink: " << cardFile
                << ": the card's category count or item sets cannot be written as an analysis "
                   "file\n";
            return 2;
        }
        out << analysisFileOfCard(card, cardFile);
        return 0;
    } catch (const InputError& error) {
        err << "tesserlink: " << oneLine(error.what()) << '\n';
    } catch (const DetectedError& error) {
        err << "tesserlink: " << oneLine(cardFile + ": " + error.consoleLine) << '\n';
    }
    return 2;
}

}  // namespace tl
