#include "run/card_conversion.h"

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

ConversionOutcome convertCard(const std::string& cardFile) {
    ConversionOutcome outcome;
    const auto fail = [&](FindingCode code, std::string text) {
        Finding f;
        f.code = code;
        f.severity = Severity::Error;
        f.file = cardFile;
        f.text = oneLine(text);
        outcome.findings.push_back(std::move(f));
        outcome.exitStatus = kExitFailure;
        return outcome;
    };
    try {
        const std::optional<std::string> text = readTextFile(cardFile);
        if (!text)
            return fail(FindingCode::CardFileMissing,
                        cardFile + ": the control card does not exist");
        CardFindings noticed;
        const ControlCard card = readControlCard(*text, cardFile, &noticed);
        if (static_cast<std::size_t>(card.categoryCount) != card.observedCuts.size() + 1 ||
            card.itemSets.empty()) {
            return fail(FindingCode::CardRefused,
                        cardFile +
                            ": the card's category count or item sets cannot be written as an "
                            "analysis file");
        }
        outcome.analysisFile = analysisFileOfCard(card, cardFile);
        return outcome;
    } catch (const InputError& error) {
        Finding f = error.finding();
        f.text = oneLine(error.what());
        outcome.findings.push_back(std::move(f));
    } catch (const DetectedError& error) {
        // --convert is no run of the card: its refusal keeps the card's line
        // after the card's name, with the status of every other failure.
        fail(error.code, cardFile + ": " + error.consoleLine);
        outcome.findings.back().consoleLine = error.consoleLine;
    }
    outcome.exitStatus = kExitFailure;
    return outcome;
}

}  // namespace tl
