#include "run/run_findings.h"

#include <cmath>
#include <filesystem>

#include "classify/classification.h"
#include "core/limits.h"
#include "core/number_field.h"
#include "platform/file_names.h"

namespace tl {

namespace {

Finding made(FindingCode code, Severity severity, std::string text) {
    Finding f;
    f.code = code;
    f.severity = severity;
    f.text = std::move(text);
    return f;
}

std::string plural(std::int64_t count, const std::string& one, const std::string& many) {
    return withThousands(count) + " " + (count == 1 ? one : many);
}

std::string setName(const Results& r, std::size_t s) {
    return "set " + std::to_string(s + 1) + " (" + r.findings[s].source + ")";
}

std::string firstPlace(const FindingCount& f) {
    std::string place = "first at ";
    if (f.firstLine > 0) place += "line " + std::to_string(f.firstLine) + ", ";
    return place + "record " + std::to_string(f.firstRecord);
}

void layoutWarnings(const Results& r, std::size_t s, std::vector<Finding>& out) {
    const SetFindings& f = r.findings[s];
    const RecordLayout& layout = f.layout;
    const std::int32_t items = r.card.itemSets[s].itemCount;
    if (layout.spanningRecords.count > 0) {
        out.push_back(made(FindingCode::SpanningRecords, Severity::DataMisfit,
                           setName(r, s) + ": " +
                               plural(layout.spanningRecords.count, "record runs", "records run") +
                               " over more than one line (" + firstPlace(layout.spanningRecords) +
                               "): a line held fewer than the set's " +
                               plural(items, "item score", "item scores") +
                               ", so the record went on into the next line; check the "
                               "card's number of items against the file"));
    }
    if (layout.extraValues.count > 0) {
        out.push_back(made(FindingCode::ExtraValues, Severity::DataMisfit,
                           setName(r, s) + ": " +
                               plural(layout.extraValues.count, "line holds", "lines hold") +
                               " more values than the set's " + plural(items, "item", "items") +
                               " (" + firstPlace(layout.extraValues) +
                               "); the rest of such a line is ignored. Check the card's number of "
                               "items, and that each set has a file of its own"));
    }
    if (layout.emptyLastField.count > 0) {
        out.push_back(made(FindingCode::EmptyLastField, Severity::DataMisfit,
                           setName(r, s) + ": " +
                               plural(layout.emptyLastField.count, "line ends", "lines end") +
                               " in an empty field (" + firstPlace(layout.emptyLastField) +
                               "); a trailing comma does not end a record, which takes its "
                               "missing scores from the next line. Fill in the score or remove "
                               "the comma"));
    }
    if (layout.extraRecords > 0) {
        out.push_back(made(FindingCode::ExtraRecords, Severity::DataMisfit,
                           setName(r, s) + " has " +
                               plural(layout.extraRecords, "complete record", "complete records") +
                               " more than the " +
                               plural(r.examineeCount, "examinee", "examinees") +
                               " of the first data file, " + r.findings[0].source +
                               "; they are never read. Every file must hold the same examinees "
                               "in the same order"));
    }
}

void unmatchedWarning(const Results& r, std::size_t s, std::vector<Finding>& out) {
    const SetFindings& f = r.findings[s];
    const UnmatchedScores& u = f.unmatched;
    if (u.count == 0) return;
    std::string points;
    for (double x : r.card.itemSets[s].scorePoints) {
        if (!points.empty()) points += ' ';
        points += quotedNumber(x);
    }
    std::string place = "first at ";
    if (f.unmatchedLine > 0) place += "line " + std::to_string(f.unmatchedLine) + ", ";
    place += "record " + std::to_string(u.firstRecord) + ", item " + std::to_string(u.firstItem) +
             ": " + quotedNumber(u.firstValue);
    out.push_back(made(FindingCode::UnmatchedScores, Severity::DataMisfit,
                       setName(r, s) + ": " +
                           plural(u.count, "item score matches", "item scores match") +
                           " none of the score points " + points + " (" +
                           plural(u.examinees, "examinee", "examinees") + ", " + place +
                           "); such a score counts under no point, so the examinee's proportions "
                           "add up to less than 1. Add the point to the card, or recode the "
                           "score (an omit code?) before the run"));
    out.back().file = f.source;
    out.back().line = f.unmatchedLine;
    out.back().value = quotedNumber(u.firstValue);
}

bool wholeNumbers(const Results& r) {
    const ItemSet& set = r.card.itemSets[0];
    for (double raw : r.scales.sets[0].rawScores) {
        const double weighted = set.weight * raw;
        if (weighted != std::trunc(weighted)) return false;
    }
    return true;
}

void singleSetWarning(const Results& r, std::vector<Finding>& out) {
    if (r.card.itemSets.size() != 1 || wholeNumbers(r)) return;
    const std::string share = fixedDecimals(100.0 * r.probabilityInNoCategory, 1) + "%";
    out.push_back(made(FindingCode::SingleSetWeight, Severity::Warning,
                       "set 1's weighted raw scores (weight " +
                           quotedNumber(r.card.itemSets[0].weight) +
                           ") are not whole numbers; with one item set they are not rounded to "
                           "composite scores, so they fall between them and " +
                           share +
                           " of the probability falls in no category. Use a whole-number weight "
                           "(the categories do not depend on it when the cuts are scaled too)"));
}

std::string categoryList(const std::vector<int>& categories) {
    std::string text = categories.size() == 1 ? "category " : "categories ";
    for (std::size_t i = 0; i < categories.size(); ++i) {
        if (i > 0) text += i + 1 == categories.size() ? " and " : ", ";
        text += std::to_string(categories[i]);
    }
    return text;
}

void emptyCategoryWarnings(const Results& r, std::vector<Finding>& out) {
    const CompositeScale& scale = r.scales.composite;
    if (scale.compositeScores.empty()) return;
    const double lo = scale.compositeScores.front();
    const double hi = scale.compositeScores.back();
    const auto k = static_cast<std::size_t>(r.card.categoryCount);
    const std::string range = "the composite range " + quotedNumber(lo) + " to " + quotedNumber(hi);
    // Observed: a category holds the whole scores from its lower cut (included)
    // to its upper cut (excluded).
    const std::vector<std::size_t> starts =
        categoryStarts(r.card.observedCuts, scale.compositeScores);
    std::vector<int> empty;
    for (std::size_t c = 0; c < k; ++c) {
        const std::size_t begin = c == 0 ? 0 : starts[c - 1];
        const std::size_t end = c + 1 == k ? scale.compositeScores.size() : starts[c];
        if (begin >= end) empty.push_back(static_cast<int>(c + 1));
    }
    if (!empty.empty()) {
        out.push_back(made(FindingCode::EmptyObservedCategory, Severity::Warning,
                           "the observed cut scores leave " + categoryList(empty) +
                               " empty: no composite score of " + range +
                               " falls there, so no examinee can be observed in it"));
    }
    // True: the composite a true category is taken from is any real number.
    empty.clear();
    const std::vector<double>& t = r.card.trueCuts;
    for (std::size_t c = 0; c < k; ++c) {
        const double from = c == 0 ? -INFINITY : t[c - 1];
        const double to = c + 1 == k ? INFINITY : t[c];
        const bool none = !(from < to) || to <= lo || from > hi;
        if (none) empty.push_back(static_cast<int>(c + 1));
    }
    if (!empty.empty()) {
        out.push_back(made(FindingCode::EmptyTrueCategory, Severity::Warning,
                           "the true cut scores leave " + categoryList(empty) + " empty over " +
                               range + ", so no examinee's true category can be there"));
    }
}

std::string quotedHint(const std::string& name) {
    return "'" + name + "'";
}

}  // namespace

std::string withThousands(std::int64_t value) {
    const std::string digits = std::to_string(value < 0 ? -value : value);
    std::string text = value < 0 ? "-" : "";
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

std::vector<Finding> cardFindings(const CardFindings& findings, const std::string& cardFile) {
    std::vector<Finding> out;
    for (const CutName& c : findings.cutNames) {
        out.push_back(made(FindingCode::CardNameCut, Severity::Warning,
                           cardFile + ":" + std::to_string(c.line) + ": " + c.what +
                               " was read as '" + c.kept +
                               "': an unquoted slash ends a value. "
                               "Put the name in quotes: " +
                               quotedHint(c.written)));
        out.back().file = cardFile;
        out.back().line = c.line;
        out.back().value = c.written;
    }
    for (const DecimalComma& d : findings.decimalCommas) {
        out.push_back(made(FindingCode::CardDecimalComma, Severity::Warning,
                           cardFile + ":" + std::to_string(d.line) + ": " + d.what +
                               " is written '" + d.written +
                               "': a comma separates values, so this is not a decimal comma. "
                               "Write decimals with a point"));
        out.back().file = cardFile;
        out.back().line = d.line;
        out.back().value = d.written;
    }
    return out;
}

std::vector<Finding> runFindings(const Results& r) {
    std::vector<Finding> out;
    for (std::size_t s = 0; s < r.findings.size(); ++s) {
        unmatchedWarning(r, s, out);
        layoutWarnings(r, s, out);
    }
    singleSetWarning(r, out);
    emptyCategoryWarnings(r, out);
    if (r.scale && r.scale->plan.conversion.decreasing)
        out.push_back(made(FindingCode::DecreasingScaleTable, Severity::Warning,
                           decreasingTableWarning(r.scale->plan.source)));
    // What the error model found (a beta-binomial misfit).
    out.insert(out.end(), r.model.findings.begin(), r.model.findings.end());
    return out;
}

std::vector<Finding> missingDataFileFindings(const ControlCard& card) {
    std::vector<Finding> out;
    for (std::size_t s = 0; s < card.itemSets.size(); ++s) {
        const std::string& name = card.itemSets[s].dataFile;
        std::error_code error;
        if (std::filesystem::is_regular_file(filePathOf(name), error)) continue;
        out.push_back(made(FindingCode::CardDataFileAbsent, Severity::Warning,
                           "the data file of set " + std::to_string(s + 1) + ", '" + name +
                               "', was not found. A name with blanks, commas or slashes must "
                               "stand in quotes on the card"));
        out.back().file = name;
    }
    return out;
}

std::vector<Finding> promptFindings(const std::string& typedLine, const std::string& name) {
    std::string typed = typedLine;
    while (!typed.empty() &&
           std::string_view(" \t\r\n").find(typed.back()) != std::string_view::npos) {
        typed.pop_back();
    }
    typed.erase(0, typed.find_first_not_of(" \t"));
    if (typed.find('/') == std::string::npos || typed == name || typed.empty() ||
        typed[0] == '\'' || typed[0] == '"') {
        return {};
    }
    const std::string read = name.empty() ? "an empty name" : "'" + name + "'";
    return {made(FindingCode::PromptNameCut, Severity::Warning,
                 "the name typed at the prompt, " + typed + ", was read as " + read +
                     ": an unquoted slash ends a value. Type it in quotes: " + quotedHint(typed) +
                     ", or run 'tesserlink " + typed + "'")};
}

std::vector<Finding> engineFindings(const RunPlan& run) {
    std::vector<Finding> out;
    const EnginePlan& plan = run.engine;
    const bool forced = run.options.engine == Engine::Convolve;
    for (std::size_t s = 0; s < plan.convolveSet.size(); ++s) {
        if (!plan.convolveSet[s]) continue;
        const std::int64_t vectors = plan.countVectors[s];
        out.push_back(
            made(FindingCode::SetConvolved, Severity::Note,
                 "set " + std::to_string(s + 1) + " has " +
                     (vectors > kCountedVectors ? "more than " + withThousands(kCountedVectors)
                                                : withThousands(vectors)) +
                     " count vectors; its distributions are computed by convolution" +
                     (forced ? " (--engine convolve)" : "")));
    }
    if (plan.convolveComposite) {
        out.push_back(
            made(FindingCode::CompositeConvolved, Severity::Note,
                 std::string("the composite has ") + (forced ? "" : "more than ") +
                     withThousands(forced ? plan.combinations : plan.combinations - 1) +
                     " combinations of raw scores per examinee; its distribution is computed by "
                     "convolution" +
                     (forced ? " (--engine convolve)" : "")));
    }
    return out;
}

}  // namespace tl
