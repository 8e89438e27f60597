#include "fuzz_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "core/errors.h"
#include "input/analysis_file.h"
#include "input/control_card_reader.h"
#include "input/free_format_reader.h"
#include "input/number_syntax.h"
#include "input/record_reader.h"
#include "model/set_loader.h"
#include "plan/analysis_checks.h"
#include "plan/card_checks.h"
#include "plan/score_ranges.h"
#include "tables/table.h"

namespace tl::fuzz {

namespace {

void readAll(std::string_view text, std::size_t itemsPerRead) {
    FreeFormatReader reader(text, "fuzz.txt");
    // Every read that does not meet the end of input consumes a line, so the
    // loop ends; the cap only guards against a reader that stops advancing.
    for (std::size_t reads = 0; !reader.atEndOfInput() && reads <= text.size() + 1; ++reads) {
        reader.beginRead();
        for (std::size_t i = 0; i < itemsPerRead; ++i) {
            const ReadItem item = reader.next();
            if (item.kind == ReadItem::Kind::EndOfInput || item.kind == ReadItem::Kind::Slash)
                break;
            if (item.kind == ReadItem::Kind::Value) {
                (void)quoteForMessage(decodeText(item));
                std::int32_t whole = 0;
                double real = 0.0;
                (void)parseInteger(item.text, whole);
                (void)parseReal(item.text, real);
            }
            // Now and then take the pending copies of a repeat in bulk, as a
            // long list of score points does.
            if (i % 3 == 2) i += static_cast<std::size_t>(reader.takeRepeats(1000));
        }
        if (!reader.endRead()) break;
    }
}

ItemSet makeSet(double weight, std::int32_t items, std::vector<double> points) {
    ItemSet set;
    set.weight = weight;
    set.itemCount = items;
    set.scorePointCount = static_cast<std::int32_t>(points.size());
    set.highestScorePoint = points.back();
    set.scorePoints = std::move(points);
    set.dataFile = "set.dat";
    return set;
}

// Dichotomous, polytomous, non-integer and negative score points.
const std::vector<ItemSet>& smallSets() {
    static const std::vector<ItemSet> all = {
        makeSet(1.0, 1, {0, 1}),
        makeSet(1.5, 3, {0, 1, 2}),
        makeSet(2.0, 4, {0, 0.5, 1}),
        makeSet(-0.5, 5, {-1, 0, 1, 2}),
    };
    return all;
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The counted records read one value at a time by the general reader, as the
// records are defined; the loader must give these very bits.
std::string compareWithPlainReading(std::string_view text, const ItemSet& set,
                                    std::int32_t examinees, const std::vector<double>& composite,
                                    const ProportionProfiles& profiles) {
    FreeFormatReader reader(text, set.dataFile);
    const std::size_t k = set.scorePoints.size();
    for (std::int32_t e = 0; e < examinees; ++e) {
        const std::string record = "record " + std::to_string(e + 1);
        reader.beginRead();
        double sum = 0.0;
        std::vector<double> counts(k, 0.0);
        for (std::int32_t item = 0; item < set.itemCount; ++item) {
            const ReadItem value = reader.next();
            double score = 0.0;
            if (value.kind != ReadItem::Kind::Value || value.quoted ||
                parseReal(value.text, score) != ParseStatus::Ok) {
                return record + " was counted but does not hold numbers only";
            }
            sum = sum + set.weight * score;
            for (std::size_t m = 0; m < k; ++m) {
                if (score == set.scorePoints[m]) counts[m] += 1.0;
            }
        }
        reader.endRead();
        if (!sameBits(composite[static_cast<std::size_t>(e)], sum)) {
            return record + ": the composite score differs from a plain reading";
        }
        const auto proportions =
            profiles.proportions(profiles.profileOf(static_cast<std::size_t>(e)));
        for (std::size_t m = 0; m < k; ++m) {
            if (!sameBits(proportions[m], counts[m] / static_cast<double>(set.itemCount))) {
                return record + ": the proportions differ from a plain reading";
            }
        }
    }
    return "";
}

}  // namespace

std::string checkFreeFormatReader(std::string_view input) {
    if (input.empty()) return "";
    const std::size_t itemsPerRead = 1 + static_cast<unsigned char>(input[0]) % 16;
    try {
        readAll(input.substr(1), itemsPerRead);
    } catch (const InputError&) {
    }
    return "";
}

std::string checkControlCard(std::string_view input) {
    try {
        const ControlCard card = readControlCard(input, "card.txt");
        const ScoreScales scales = deriveScoreScales(card);
        checkCutScores(card, scales.composite);
        refuseUnworkableCard(card, scales);
        refuseUnsafeOutput(card, "card.txt");
    } catch (const DetectedError& error) {
        if (error.consoleLine.rfind("Error! ", 0) != 0 &&
            error.consoleLine != "# item sets greater than 9: Stopped!") {
            return "a console line of unknown form: " + error.consoleLine;
        }
    } catch (const InputError&) {
    }
    return "";
}

std::string checkDataFile(std::string_view input) {
    if (input.empty()) return "";
    const unsigned char choice = static_cast<unsigned char>(input[0]);
    const ItemSet& set = smallSets()[choice % smallSets().size()];
    const bool share = (choice & 0x80) != 0;
    const std::string_view text = input.substr(1);

    std::int32_t examinees = 0;
    try {
        examinees = countExaminees(text, set.dataFile, set.itemCount);
    } catch (const InputError&) {
        return "";
    }
    std::vector<double> composite(static_cast<std::size_t>(examinees) + 1, 0.0);
    try {
        const ProportionProfiles profiles =
            loadItemSet(text, set.dataFile, set, examinees, composite, share);
        if (profiles.examineeCount() != static_cast<std::size_t>(examinees)) {
            return "the loader did not file every counted examinee";
        }
        const std::string difference =
            compareWithPlainReading(text, set, examinees, composite, profiles);
        if (!difference.empty()) return difference;
    } catch (const InputError& error) {
        return std::string("a counted record does not load: ") + error.what();
    }
    try {
        (void)loadItemSet(text, set.dataFile, set, examinees + 1, composite, share);
        return "one record more than were counted loaded";
    } catch (const InputError&) {
    }
    return "";
}

namespace {

// Takes column 1 as the IDs and every other column as numbers, and checks
// that each row hands over as many cells as were picked.
class CountingVisitor : public TableVisitor {
  public:
    ColumnPick header(const std::vector<std::string>& names) override {
        ColumnPick pick;
        if (!names.empty()) pick.id = 0;
        for (std::size_t c = 1; c < names.size(); ++c) pick.numbers.push_back(c);
        picked_ = pick.numbers.size();
        for (const std::string& name : names) log += name + "|";
        log += "\n";
        return pick;
    }
    void row(std::int64_t row, std::span<const TableCell> cells, std::string_view id) override {
        if (cells.size() != picked_) problem = "a row handed over a wrong number of cells";
        if (row != ++rows_) problem = "rows are not counted one by one";
        log += std::to_string(row) + ":" + std::string(id);
        for (const TableCell& cell : cells) {
            if (!cell.missing && !std::isfinite(cell.value)) problem = "a cell is not finite";
            char text[32];
            std::snprintf(text, sizeof text, ",%a", cell.missing ? -0.0 : cell.value);
            log += cell.missing ? ",NA" : text;
        }
        log += "\n";
    }
    std::string log;
    std::string problem;

  private:
    std::size_t picked_ = 0;
    std::int64_t rows_ = 0;
};

std::string errorProblem(const std::string& message, const std::string& file) {
    if (message.rfind(file, 0) != 0) return "an error that does not name the file: " + message;
    if (message.find('\n') != std::string::npos) return "an error of more than one line";
    return "";
}

}  // namespace

std::string checkAnalysisFile(std::string_view input) {
    try {
        const AnalysisFile file = readAnalysisFile(input, "fuzz.toml");
        if (file.card.categoryCount != static_cast<std::int32_t>(file.card.observedCuts.size()) + 1)
            return "the category count is not the cut count plus one";
        if (!file.labels.categoryLabels.empty() &&
            file.labels.categoryLabels.size() != static_cast<std::size_t>(file.card.categoryCount))
            return "a label count that is not the category count was accepted";
        if (!file.table) scaleAnalysisFile(file);
    } catch (const InputError& error) {
        return errorProblem(error.what(), "fuzz.toml");
    }
    return "";
}

std::string checkTable(std::string_view input) {
    if (input.empty()) return "";
    const char delimiters[] = {0, ',', ';', '\t', ' '};
    const char delimiter = delimiters[static_cast<unsigned char>(input[0]) % 5];
    const std::string_view text = input.substr(1);
    // The reader's own split of quote-free rows must read them as libcsv does.
    CountingVisitor own, reference;
    std::string ownError, referenceError;
    try {
        readDelimitedText(text, "fuzz.csv", delimiter, own);
    } catch (const InputError& error) {
        ownError = error.what();
        if (const std::string problem = errorProblem(ownError, "fuzz.csv"); !problem.empty())
            return problem;
    }
    try {
        readDelimitedText(text, "fuzz.csv", delimiter, reference, false);
    } catch (const InputError& error) {
        referenceError = error.what();
    }
    if (own.log != reference.log || ownError != referenceError)
        return "the plain split and libcsv read the table differently";
    // Read in pieces, as a file is, the table reads the same: a row carried
    // from one piece to the next, a quote in any piece.
    CountingVisitor pieces;
    std::string piecesError;
    try {
        readDelimitedText(text, "fuzz.csv", delimiter, pieces, true,
                          static_cast<unsigned char>(input[0]) / 5 % 13 + 1);
    } catch (const InputError& error) {
        piecesError = error.what();
    }
    if (pieces.log != own.log || piecesError != ownError)
        return "the table read in pieces differs from the table read whole";
    return own.problem;
}

std::string expandedInput(std::string_view recipe) {
    if (recipe.size() < 4) return std::string(recipe);
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(recipe[i]); };
    const std::size_t count = (std::size_t{byte(0)} << 8 | byte(1)) * 4;
    const std::size_t length = std::min<std::size_t>(byte(2) % 16 + 1, recipe.size() - 4);
    const std::string_view fragment = recipe.substr(4, length);
    const std::string_view text = recipe.substr(4 + length);
    const std::size_t at = text.size() * byte(3) / 255;
    std::string out;
    out.reserve(text.size() + count * fragment.size());
    out.append(text.substr(0, at));
    for (std::size_t i = 0; i < count; ++i) out.append(fragment);
    out.append(text.substr(at));
    return out;
}

std::string checkExpandedAnalysisFile(std::string_view recipe) {
    return checkAnalysisFile(expandedInput(recipe));
}

std::string checkExpandedTable(std::string_view recipe) {
    return checkTable(expandedInput(recipe));
}

}  // namespace tl::fuzz
