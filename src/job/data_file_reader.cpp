#include "job/data_file_reader.h"

#include <algorithm>
#include <array>

#include "job/free_format_reader.h"
#include "job/limits.h"
#include "job/number_syntax.h"
#include "job/run_errors.h"

namespace tl {

namespace {

enum class RecordEnd { Complete, CutShort };

std::string recordLabel(std::int64_t record) { return "record " + std::to_string(record); }

// Character classes of a plain data line.
enum : std::uint8_t { kOther, kNumberChar, kBlank, kLineEnd };

constexpr std::array<std::uint8_t, 256> plainClasses() {
    std::array<std::uint8_t, 256> classes{};
    for (char c : std::string_view("0123456789.+-eEdD"))
        classes[static_cast<unsigned char>(c)] = kNumberChar;
    classes[' '] = classes['\t'] = kBlank;
    classes['\n'] = classes['\r'] = kLineEnd;
    return classes;
}
constexpr std::array<std::uint8_t, 256> kPlainClasses = plainClasses();

// Nearly every record is one plain line: its first n values separated by
// blanks, written with digits, signs, points and exponents only, the line ended
// by a line end. Such a record is taken here in one sweep into `scores`; the
// free-format reader would find the very same values. Anything else (a record
// over several lines, a blank line, commas, repeats, quotes, a slash, a value
// that is not a number, a last line without a line end) is left untouched for
// the general reader, which also gives the diagnostics.
bool takePlainRecord(FreeFormatReader& reader, std::int32_t n, std::vector<double>& scores) {
    const std::string_view text = reader.rest();
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    auto classOf = [](char c) { return kPlainClasses[static_cast<unsigned char>(c)]; };
    for (std::int32_t item = 0; item < n; ++item) {
        while (p < end && classOf(*p) == kBlank) ++p;
        const char* const start = p;
        while (p < end && classOf(*p) == kNumberChar) ++p;
        if (p == start || (p < end && classOf(*p) == kOther)) return false;
        if (p - start == 1 && *start >= '0' && *start <= '9') {
            scores[static_cast<std::size_t>(item)] = *start - '0';
        } else if (parseReal(std::string_view(start, static_cast<std::size_t>(p - start)),
                             scores[static_cast<std::size_t>(item)]) != ParseStatus::Ok) {
            return false;
        }
    }
    while (p < end && classOf(*p) != kLineEnd) ++p;  // the rest of the line is ignored
    if (p == end) return false;
    p += (*p == '\r' && p + 1 < end && p[1] == '\n') ? 2 : 1;
    reader.skipTaken(static_cast<std::size_t>(p - begin), 1);
    return true;
}

// Reads one record of n reals, handing each to onValue(item, value) in item
// order. A record must give every item score: a null value or a slash before
// the last item is a missing response, which the model cannot take.
template <class OnValue>
RecordEnd readRecord(FreeFormatReader& reader, std::int32_t n, std::int64_t record,
                     std::vector<double>& scores, OnValue&& onValue) {
    if (takePlainRecord(reader, n, scores)) {
        for (std::int32_t item = 0; item < n; ++item)
            onValue(item, scores[static_cast<std::size_t>(item)]);
        return RecordEnd::Complete;
    }
    reader.beginRead();
    for (std::int32_t item = 0; item < n; ++item) {
        const ReadItem value = reader.next();
        switch (value.kind) {
            case ReadItem::Kind::Value: {
                double score = 0.0;
                const ParseStatus status =
                    value.quoted ? ParseStatus::NotANumber : parseReal(value.text, score);
                if (status != ParseStatus::Ok) {
                    throw InputError(reader.where(value.line) + ": " + recordLabel(record) +
                                     ", item " + std::to_string(item + 1) + ": expected a number" +
                                     (status == ParseStatus::OutOfRange ? " in range" : "") +
                                     ", found " + quoteForMessage(value.text));
                }
                onValue(item, score);
                break;
            }
            case ReadItem::Kind::Null:
            case ReadItem::Kind::Slash:
                throw InputError(reader.where(value.line) + ": " + recordLabel(record) +
                                 " gives no score for item " + std::to_string(item + 1) +
                                 " (a missing response cannot be modelled)");
            case ReadItem::Kind::EndOfInput:
                return RecordEnd::CutShort;
        }
    }
    reader.endRead();
    return RecordEnd::Complete;
}

}  // namespace

std::int32_t countExaminees(std::string_view text, const std::string& fileName,
                            std::int32_t itemCount) {
    FreeFormatReader reader(text, fileName);
    std::int32_t count = 0;
    std::vector<double> scores(static_cast<std::size_t>(itemCount > 0 ? itemCount : 0));
    while (count < INT32_MAX && readRecord(reader, itemCount, count + 1, scores,
                                           [](std::int32_t, double) {}) == RecordEnd::Complete) {
        ++count;
    }
    return count;
}

ProportionProfiles loadItemSet(std::string_view text, const std::string& fileName,
                               const ItemSet& set, std::int32_t examineeCount,
                               std::vector<double>& observedComposite, bool shareProfiles) {
    FreeFormatReader reader(text, fileName);
    // At most fifteen points are held; a set with more is stopped right after loading.
    const int k = static_cast<int>(set.scorePoints.size());
    const double n = static_cast<double>(set.itemCount);
    // Working copies in local arrays, so that the per-value loop keeps them in
    // registers (the same values and operations as on the vectors).
    std::array<double, kMaxScorePoints> points{};
    std::copy(set.scorePoints.begin(), set.scorePoints.begin() + k, points.begin());
    const double weight = set.weight;
    ProportionProfiles profiles(k, shareProfiles, static_cast<std::size_t>(examineeCount));
    // Whole counts (exact either way); counted without branches, since item
    // scores jump unpredictably between points.
    std::array<std::int32_t, kMaxScorePoints> counts{};
    std::vector<double> proportions(static_cast<std::size_t>(k));
    std::vector<double> scores(static_cast<std::size_t>(set.itemCount > 0 ? set.itemCount : 0));

    for (std::int32_t e = 0; e < examineeCount; ++e) {
        counts.fill(0);
        double composite = observedComposite[static_cast<std::size_t>(e)];
        const RecordEnd end =
            readRecord(reader, set.itemCount, e + 1, scores, [&](std::int32_t, double score) {
                composite = composite + weight * score;
                // Exact equality: a score that matches no point is counted nowhere.
                for (int m = 0; m < k; ++m) {
                    counts[m] += score == points[static_cast<std::size_t>(m)] ? 1 : 0;
                }
            });
        observedComposite[static_cast<std::size_t>(e)] = composite;
        if (end == RecordEnd::CutShort) {
            throw InputError(reader.where(reader.line()) + ": the file ends in " +
                             recordLabel(e + 1) + "; " + std::to_string(examineeCount) +
                             " complete records of " + std::to_string(set.itemCount) +
                             " item scores are needed");
        }
        for (int m = 0; m < k; ++m) proportions[m] = static_cast<double>(counts[m]) / n;
        profiles.addExaminee(proportions);
    }
    return profiles;
}

}  // namespace tl
