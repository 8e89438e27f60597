#include "input/control_card_reader.h"

#include "core/errors.h"
#include "core/limits.h"
#include "core/messages.h"
#include "input/list_read.h"

namespace tl {

namespace {

void skipHeading(FreeFormatReader& reader, const std::string& what) {
    if (!reader.skipLine()) throwEndOfInput(reader, what);
}

std::string setLabel(int s) {
    return "set " + std::to_string(s);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// An unquoted name followed at once by a slash and more text: the slash ended
// the read and the rest of the name was ignored.
void noteCutName(const ListRead& read, const std::string& what, const std::string& kept,
                 CardFindings* findings) {
    const std::string_view rest = read.restOfLine();
    if (!findings || rest.size() < 2 || rest[0] != '/' || rest[1] == ' ' || rest[1] == '\t') return;
    const std::string_view tail = rest.substr(0, rest.find_first_of(" \t,"));
    findings->cutNames.push_back({read.line(), what, kept, kept + std::string(tail)});
}

// One number wanted, and the line goes on with a comma and a digit: "0,5".
void noteDecimalComma(const ListRead& read, const std::string& what, CardFindings* findings,
                      std::string_view lineText) {
    const std::string_view rest = read.restOfLine();
    const std::size_t at = rest.find_first_not_of(" \t");
    if (!findings || at == std::string_view::npos || rest[at] != ',' || at + 1 >= rest.size() ||
        !isDigit(rest[at + 1])) {
        return;
    }
    findings->decimalCommas.push_back({read.line(), what, std::string(lineText)});
}

// Cut scores whose line holds more values than were wanted, with a digit,
// comma, digit among them: "2,5 4,5" for two cuts reads 2 and 5.
void noteCommaCuts(const ListRead& read, const std::string& what, CardFindings* findings,
                   std::string_view lineText) {
    const std::string_view rest = read.restOfLine();
    if (!findings || rest.find_first_not_of(" \t,") == std::string_view::npos) return;
    for (std::size_t i = 1; i + 1 < lineText.size(); ++i) {
        if (lineText[i] == ',' && isDigit(lineText[i - 1]) && isDigit(lineText[i + 1])) {
            findings->decimalCommas.push_back({read.line(), what, std::string(lineText)});
            return;
        }
    }
}

// The text of the line the reader stands at the start of.
std::string_view currentLine(const FreeFormatReader& reader) {
    const std::string_view rest = reader.rest();
    return rest.substr(0, rest.find_first_of("\r\n"));
}

void readItemSet(FreeFormatReader& reader, int s, ItemSet& set, CardFindings* findings) {
    const std::string label = setLabel(s);
    skipHeading(reader, "the heading line of " + label);
    {
        const std::string_view lineText = currentLine(reader);
        ListRead read(reader, "the weight of " + label);
        read.real(set.weight);
        noteDecimalComma(read, "the weight of " + label, findings, lineText);
        read.finish();
    }
    {
        ListRead read(reader, "the number of items of " + label);
        read.integer(set.itemCount);
        read.finish();
    }
    {
        ListRead read(reader, "the number of score points of " + label);
        read.integer(set.scorePointCount);
        read.finish();
    }
    {
        ListRead read(reader, "the score points of " + label);
        // Only the first fifteen values are kept: a set with more is stopped
        // when it is reached, and the rest must not land anywhere.
        const std::int32_t kept =
            set.scorePointCount < kMaxScorePoints ? set.scorePointCount : kMaxScorePoints;
        set.scorePoints.assign(kept > 0 ? static_cast<std::size_t>(kept) : 0, 0.0);
        for (double& point : set.scorePoints) read.real(point);
        set.highestScorePoint = set.scorePoints.empty() ? 0.0 : set.scorePoints.back();
        if (set.scorePointCount > kept) {
            read.realsKeepingLast(set.scorePointCount - kept, set.highestScorePoint);
        }
        read.finish();
    }
    {
        ListRead read(reader, "the data file name of " + label);
        read.text(set.dataFile);
        noteCutName(read, "the data file name of " + label, set.dataFile, findings);
        read.finish();
        set.dataFile = fileNameOf(set.dataFile);
    }
}

void readCuts(FreeFormatReader& reader, std::int32_t count, std::vector<double>& cuts,
              const std::string& what, CardFindings* findings) {
    const std::string_view lineText = currentLine(reader);
    ListRead read(reader, what);
    cuts.assign(count > 0 ? static_cast<std::size_t>(count) : 0, 0.0);
    for (double& cut : cuts) read.real(cut);
    if (count == 1) {
        noteDecimalComma(read, what, findings, lineText);
    } else if (count > 1) {
        noteCommaCuts(read, what, findings, lineText);
    }
    read.finish();
}

}  // namespace

std::string fileNameOf(std::string value) {
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.pop_back();
    return value;
}

ControlCard readControlCard(std::string_view text, const std::string& fileName,
                            CardFindings* findings) {
    FreeFormatReader reader(text, fileName);
    ControlCard card;

    skipHeading(reader, "the first heading line");
    {
        ListRead read(reader, "the number of item sets");
        read.integer(card.setCount);
        read.finish();
    }
    if (card.setCount > kMaxItemSets)
        throw DetectedError(messages::tooManyItemSets(), FindingCode::TooManyItemSets);

    card.itemSets.resize(card.setCount > 0 ? static_cast<std::size_t>(card.setCount) : 0);
    for (std::size_t s = 0; s < card.itemSets.size(); ++s) {
        readItemSet(reader, static_cast<int>(s + 1), card.itemSets[s], findings);
    }

    skipHeading(reader, "the categories heading line");
    {
        ListRead read(reader, "the number of categories");
        read.integer(card.categoryCount);
        read.finish();
    }
    if (card.categoryCount > kMaxStoredCategories) {
        throw DetectedError(messages::categoryCountOutOfRange(card.categoryCount),
                            FindingCode::CategoryCount);
    }
    // No cuts below two categories; the smallest count must not wrap around
    // into a huge one when one is subtracted.
    const std::int32_t cutCount = card.categoryCount > 1 ? card.categoryCount - 1 : 0;
    readCuts(reader, cutCount, card.observedCuts, "the observed cut scores", findings);
    readCuts(reader, cutCount, card.trueCuts, "the true cut scores", findings);

    skipHeading(reader, "the conditional results heading line");
    {
        ListRead read(reader, "the conditional results switch");
        read.integer(card.conditionalResults);
        read.finish();
    }
    skipHeading(reader, "the output file heading line");
    {
        ListRead read(reader, "the output file name");
        read.text(card.outputFile);
        noteCutName(read, "the output file name", card.outputFile, findings);
        read.finish();
        card.outputFile = fileNameOf(card.outputFile);
    }
    skipHeading(reader, "the bias correction heading line");
    {
        ListRead read(reader, "the bias correction switch");
        read.integer(card.biasCorrection);
        read.finish();
    }
    return card;
}

}  // namespace tl
