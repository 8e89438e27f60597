#include "input/record_reader.h"

#include <algorithm>
#include <array>

#include "core/counted.h"
#include "core/errors.h"
#include "core/limits.h"
#include "input/free_format_reader.h"
#include "input/number_syntax.h"

namespace tl {

namespace {

std::string recordLabel(std::int64_t record) {
    return "record " + std::to_string(record);
}

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

}  // namespace

// Nearly every record is one plain line: its first n values separated by
// blanks, written with digits, signs, points and exponents only, the line ended
// by a line end. Such a record is taken here in one sweep into `scores`; the
// free-format reader would find the very same values. Anything else (a record
// over several lines, a blank line, commas, repeats, quotes, a slash, a value
// that is not a number, a last line without a line end) is left untouched for
// the general reader, which also gives the diagnostics.
bool RecordReader::takePlainRecord() {
    const std::int32_t n = itemCount_;
    std::vector<double>& scores = scores_;
    const std::string_view text = reader_.rest();
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
    // The rest of the line is ignored; it should hold nothing but blanks.
    const char* const rest = p;
    bool other = false;
    while (p < end && classOf(*p) != kLineEnd) other = other || classOf(*p) != kBlank, ++p;
    if (p == end) return false;
    if (other) {
        const char* last = p;
        while (last > rest && classOf(last[-1]) == kBlank) --last;
        const bool onlyComma =
            last - rest >= 1 &&
            std::string_view(rest, last - rest).find_first_not_of(" \t,") == std::string_view::npos;
        if (last[-1] == ',') layout_.emptyLastField.note(record_, recordLine_);
        if (!onlyComma) layout_.extraValues.note(record_, recordLine_);
    }
    p += (*p == '\r' && p + 1 < end && p[1] == '\n') ? 2 : 1;
    reader_.skipTaken(static_cast<std::size_t>(p - begin), 1);
    return true;
}

RecordReader::RecordReader(std::string_view text, const std::string& fileName,
                           std::int32_t itemCount)
    : reader_(text, fileName),
      itemCount_(itemCount),
      scores_(static_cast<std::size_t>(itemCount > 0 ? itemCount : 0)) {}

namespace {

// A number in quotes is text to the reader; say so, since the quotes are
// easily missed in the message.
std::string quotedNumberHint(const ReadItem& value) {
    double number = 0.0;
    if (!value.quoted || parseReal(value.text, number) != ParseStatus::Ok) return "";
    return " in quotes: write the number without them";
}

}  // namespace

bool RecordReader::next() {
    ++record_;
    recordLine_ = reader_.line();
    if (takePlainRecord()) return true;
    const char* const begin = reader_.rest().data();
    const std::int64_t beginLine = reader_.line();
    const char* lastEnd = begin;
    int lastLine = 0;
    reader_.beginRead();
    for (std::int32_t item = 0; item < itemCount_; ++item) {
        const ReadItem value = reader_.next();
        switch (value.kind) {
            case ReadItem::Kind::Value: {
                double score = 0.0;
                const ParseStatus status =
                    value.quoted ? ParseStatus::NotANumber : parseReal(value.text, score);
                if (status != ParseStatus::Ok) {
                    throw InputError(reader_.where(value.line) + ": " + recordLabel(record_) +
                                     ", item " + std::to_string(item + 1) + ": expected a number" +
                                     (status == ParseStatus::OutOfRange ? " in range" : "") +
                                     ", found " + quoteForMessage(value.text) +
                                     quotedNumberHint(value));
                }
                scores_[static_cast<std::size_t>(item)] = score;
                lastEnd = value.text.data() + value.text.size();
                if (item == 0) recordLine_ = value.line;  // blank lines before it do not count
                lastLine = value.line;
                break;
            }
            case ReadItem::Kind::Null:
            case ReadItem::Kind::Slash:
                throw InputError(reader_.where(value.line) + ": " + recordLabel(record_) +
                                 " gives no score for item " + std::to_string(item + 1) +
                                 " (a missing response cannot be modelled)");
            case ReadItem::Kind::EndOfInput:
                return false;
        }
    }
    reader_.endRead();
    noteLayout(begin, beginLine, lastEnd);
    if (lastLine > recordLine_) layout_.spanningRecords.note(record_, recordLine_);
    return true;
}

void RecordReader::noteLayout(const char* begin, std::int64_t line, const char* lastEnd) {
    const char* const end = reader_.rest().data();
    const auto isLineEnd = [](char c) { return c == '\n' || c == '\r'; };
    const char* lineStart = begin;
    for (const char* p = begin; p <= end; ++p) {
        if (p < end && !isLineEnd(*p)) continue;
        // One line of the record: [lineStart, p).
        const std::string_view text(lineStart, static_cast<std::size_t>(p - lineStart));
        const std::size_t last = text.find_last_not_of(" \t");
        if (last != std::string_view::npos && text[last] == ',')
            layout_.emptyLastField.note(record_, line);
        if (lastEnd >= lineStart && lastEnd <= p) {
            const std::string_view after(lastEnd, static_cast<std::size_t>(p - lastEnd));
            if (after.find_first_not_of(" \t,\"'") != std::string_view::npos) {
                layout_.extraValues.note(record_, line);
            }
            break;  // the record's last line
        }
        if (p < end && *p == '\r' && p + 1 < end && p[1] == '\n') ++p;
        lineStart = p + 1;
        ++line;
    }
}

void RecordReader::countRemainingRecords() {
    try {
        while (next()) ++layout_.extraRecords;
    } catch (const InputError&) {
        // Text after the examinees' records is never read: a malformed record
        // there only ends the count.
    }
}

std::string RecordReader::cutShortMessage(std::int32_t needed) const {
    return reader_.where(reader_.line()) + ": the file ends in " + recordLabel(record_) + "; " +
           counted(needed, "complete record", "complete records") + " of " +
           counted(itemCount_, "item score", "item scores") + (needed == 1 ? " is" : " are") +
           " needed";
}

std::int32_t countExaminees(std::string_view text, const std::string& fileName,
                            std::int32_t itemCount) {
    RecordReader reader(text, fileName, itemCount);
    std::int32_t count = 0;
    while (count < INT32_MAX && reader.next()) ++count;
    return count;
}

}  // namespace tl
