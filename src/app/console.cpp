#include "app/console.h"

#include "core/errors.h"
#include "core/messages.h"
#include "core/one_line.h"
#include "input/free_format_reader.h"

namespace tl {

void Console::line(const std::string& text) {
    // A name or value read from a file may hold control bytes: shown escaped.
    out_ << oneLine(text) << '\n';
    out_.flush();
}

std::optional<std::string> Console::readLine() {
    std::string text;
    if (!std::getline(in_, text)) return std::nullopt;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

std::string Console::readFileName() {
    std::string& typed = typed_;
    typed.clear();
    bool blankSoFar = true;
    while (std::optional<std::string> next = readLine()) {
        typed += *next;
        typed += '\n';
        // Blank lines before the name hold nothing to read: they are not
        // parsed again and again, so that many cost no more than their bytes.
        blankSoFar = blankSoFar && next->find_first_not_of(" \t") == std::string::npos;
        if (blankSoFar) continue;
        FreeFormatReader reader(typed, "standard input");
        reader.beginRead();
        const ReadItem item = reader.next();
        if (item.kind == ReadItem::Kind::Value) return decodeText(item);
        if (item.kind != ReadItem::Kind::EndOfInput) return "";  // a null value or a slash
    }
    throw InputError("standard input: no control card file name was given");
}

void Console::waitForEnter() {
    while (std::optional<std::string> reply = readLine()) {
        if (reply->empty()) return;
    }
}

void Console::pause() {
    while (true) {
        line(messages::kPause);
        const std::optional<std::string> reply = readLine();
        if (!reply || reply->empty()) return;
    }
}

}  // namespace tl
