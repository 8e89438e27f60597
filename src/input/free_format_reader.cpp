#include "input/free_format_reader.h"

#include <limits>

#include "core/errors.h"
#include "core/one_line.h"

namespace tl {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEndChar(char c) {
    return c == '\n' || c == '\r';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool endsUnquoted(char c) {
    return isBlank(c) || c == ',' || c == '/' || isLineEndChar(c);
}

}  // namespace

FreeFormatReader::FreeFormatReader(std::string_view text, std::string sourceName)
    : text_(text), sourceName_(std::move(sourceName)) {}

std::string FreeFormatReader::where(int line) const {
    return sourceName_ + ":" + std::to_string(line);
}

void FreeFormatReader::consumeLineEnd() {
    if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
    ++pos_;
    ++line_;
}

bool FreeFormatReader::skipLine() {
    if (atEndOfInput()) return false;
    while (pos_ < text_.size() && !isLineEndChar(text_[pos_])) ++pos_;
    if (pos_ < text_.size()) consumeLineEnd();
    return true;
}

void FreeFormatReader::beginRead() {
    readTouchedLine_ = false;
    needSeparator_ = false;
    repeatLeft_ = 0;
}

std::int64_t FreeFormatReader::takeRepeats(std::int64_t max) {
    const std::int64_t taken = repeatLeft_ < max ? repeatLeft_ : max;
    repeatLeft_ -= taken;
    return taken;
}

bool FreeFormatReader::endRead() {
    repeatLeft_ = 0;
    if (atEndOfInput()) return readTouchedLine_;
    return skipLine();
}

void FreeFormatReader::skipBlanksAndLineEnds() {
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (isBlank(c)) {
            ++pos_;
        } else if (isLineEndChar(c)) {
            consumeLineEnd();
        } else {
            break;
        }
    }
}

ReadItem FreeFormatReader::next() {
    if (repeatLeft_ > 0) {
        --repeatLeft_;
        return repeatItem_;
    }
    const std::size_t start = pos_;
    skipBlanksAndLineEnds();
    if (needSeparator_ && pos_ < text_.size() && text_[pos_] == ',') {
        ++pos_;
        skipBlanksAndLineEnds();
    }
    needSeparator_ = false;
    if (pos_ != start) readTouchedLine_ = true;
    ReadItem item;
    item.line = line_;
    if (atEndOfInput()) {
        item.kind = ReadItem::Kind::EndOfInput;
        return item;
    }
    readTouchedLine_ = true;
    const char c = text_[pos_];
    if (c == ',') {
        ++pos_;
        item.kind = ReadItem::Kind::Null;
        return item;
    }
    if (c == '/') {
        item.kind = ReadItem::Kind::Slash;
        return item;
    }

    // A repeat count: digits directly followed by '*'.
    std::size_t p = pos_;
    while (p < text_.size() && isDigit(text_[p])) ++p;
    if (p > pos_ && p < text_.size() && text_[p] == '*') {
        std::int64_t count = 0;
        for (std::size_t q = pos_; q < p; ++q) {
            const int digit = text_[q] - '0';
            if (count > (std::numeric_limits<std::int64_t>::max() - digit) / 10) {
                count = std::numeric_limits<std::int64_t>::max();
            } else {
                count = count * 10 + digit;
            }
        }
        if (count == 0) {
            throw InputError(where(line_) + ": a repeat count must be at least 1, found " +
                             quoteForMessage(text_.substr(pos_, p + 1 - pos_)));
        }
        pos_ = p + 1;
        if (atEndOfInput() || endsUnquoted(text_[pos_])) {
            item.kind = ReadItem::Kind::Null;
            needSeparator_ = true;
        } else {
            item = scanValue();
        }
        repeatItem_ = item;
        repeatLeft_ = count - 1;
        return item;
    }
    return scanValue();
}

ReadItem FreeFormatReader::scanValue() {
    ReadItem item;
    item.kind = ReadItem::Kind::Value;
    item.line = line_;
    const char c = text_[pos_];
    if (c == '\'' || c == '"') {
        const std::size_t begin = pos_ + 1;
        std::size_t p = begin;
        while (true) {
            if (p >= text_.size() || isLineEndChar(text_[p])) {
                throw InputError(where(line_) + ": quoted text is not closed on its line: " +
                                 quoteForMessage(text_.substr(pos_, p - pos_)));
            }
            if (text_[p] == c) {
                if (p + 1 < text_.size() && text_[p + 1] == c) {
                    p += 2;
                    continue;
                }
                break;
            }
            ++p;
        }
        item.text = text_.substr(begin, p - begin);
        item.quoted = true;
        item.quote = c;
        pos_ = p + 1;
    } else {
        const std::size_t begin = pos_;
        while (pos_ < text_.size() && !endsUnquoted(text_[pos_])) ++pos_;
        item.text = text_.substr(begin, pos_ - begin);
    }
    needSeparator_ = true;
    return item;
}

std::string decodeText(const ReadItem& item) {
    if (!item.quoted) return std::string(item.text);
    std::string out;
    out.reserve(item.text.size());
    for (std::size_t i = 0; i < item.text.size(); ++i) {
        out.push_back(item.text[i]);
        // Inside quotes a doubled quote stands for one.
        if (item.text[i] == item.quote && i + 1 < item.text.size() &&
            item.text[i + 1] == item.quote) {
            ++i;
        }
    }
    return out;
}

std::string quoteForMessage(std::string_view text) {
    return "'" + shownValue(text) + "'";
}

}  // namespace tl
