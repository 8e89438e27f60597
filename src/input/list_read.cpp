#include "input/list_read.h"

#include "core/errors.h"
#include "input/number_syntax.h"

namespace tl {

namespace {

[[noreturn]] void throwBadValue(const FreeFormatReader& reader, const ReadItem& item,
                                const std::string& expected, const std::string& what,
                                ParseStatus status) {
    const char* problem = status == ParseStatus::OutOfRange ? " out of range" : "";
    throw InputError(reader.where(item.line) + ": expected " + expected + " for " + what +
                     ", found" + problem + " " + quoteForMessage(item.text));
}

}  // namespace

void throwEndOfInput(const FreeFormatReader& reader, const std::string& what) {
    throw InputError(reader.where(reader.line()) + ": the file ends before " + what);
}

ListRead::ListRead(FreeFormatReader& reader, std::string what)
    : reader_(reader), what_(std::move(what)) {
    reader_.beginRead();
}

bool ListRead::nextValue(ReadItem& item) {
    if (ended_) return false;
    item = reader_.next();
    switch (item.kind) {
        case ReadItem::Kind::Value:
            return true;
        case ReadItem::Kind::Null:
            return false;
        case ReadItem::Kind::Slash:
            ended_ = true;
            return false;
        case ReadItem::Kind::EndOfInput:
            break;
    }
    throwEndOfInput(reader_, what_);
}

void ListRead::integer(std::int32_t& target) {
    ReadItem item;
    if (!nextValue(item)) return;
    const ParseStatus status =
        item.quoted ? ParseStatus::NotANumber : parseInteger(item.text, target);
    if (status != ParseStatus::Ok) throwBadValue(reader_, item, "a whole number", what_, status);
}

void ListRead::real(double& target) {
    ReadItem item;
    if (!nextValue(item)) return;
    const ParseStatus status = item.quoted ? ParseStatus::NotANumber : parseReal(item.text, target);
    if (status != ParseStatus::Ok) throwBadValue(reader_, item, "a number", what_, status);
}

void ListRead::text(std::string& target) {
    ReadItem item;
    if (!nextValue(item)) return;
    target = decodeText(item);
}

void ListRead::realsKeepingLast(std::int64_t count, double& target) {
    while (count > 0 && !ended_) {
        real(target);
        --count;
        count -= reader_.takeRepeats(count);  // copies of one value change nothing
    }
}

std::string_view ListRead::restOfLine() const {
    const std::string_view rest = reader_.rest();
    return rest.substr(0, rest.find_first_of("\r\n"));
}

void ListRead::finish() {
    if (!reader_.endRead()) throwEndOfInput(reader_, what_);
}

}  // namespace tl
