#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tl {

// One item of a list-directed read.
struct ReadItem {
    enum class Kind {
        Value,       // a value to convert (text holds it, quotes removed only if !quoted)
        Null,        // nothing between two commas, or r*: the target keeps its value
        Slash,       // the read ends here; the remaining targets keep their values
        EndOfInput,  // the text ran out before the read had all its values
    };
    Kind kind = Kind::EndOfInput;
    std::string_view text;  // raw value text; for a quoted value, what lies between the quotes
    bool quoted = false;
    char quote = 0;  // the delimiting quote of a quoted value
    int line = 0;    // line on which the item stands (1-based)
};

// Free-format (list-directed) reader over a text held in memory. Values are
// separated by blanks, tabs, commas or both; a read begins at the start of a
// line, continues over as many lines as it needs and ignores the rest of its
// last line; r*v repeats a value and r* repeats a null; a slash ends the read.
// Line ends may be LF, CR LF or a lone CR.
class FreeFormatReader {
  public:
    FreeFormatReader(std::string_view text, std::string sourceName);

    const std::string& sourceName() const { return sourceName_; }
    int line() const { return line_; }
    bool atEndOfInput() const { return pos_ >= text_.size(); }

    // Skips one whole line, which must be present. Returns false at end of input.
    bool skipLine();

    // Starts a read at the current position (always the start of a line).
    void beginRead();
    // The next item of the current read.
    ReadItem next();
    // Takes up to `max` pending copies of the last repeated item at once and
    // returns how many it took (so that 2000000000*1 is not walked one by one).
    std::int64_t takeRepeats(std::int64_t max);
    // Ends the current read: the rest of its last line is ignored. Returns false
    // when there was no line left to end (the read consumed nothing at end of input).
    bool endRead();

    // The unread text; between reads it starts at the beginning of a line.
    std::string_view rest() const { return text_.substr(pos_); }
    // Moves past `bytes` characters of rest() that a caller took itself, which
    // must end just after the line end of the `lines`-th line they span.
    void skipTaken(std::size_t bytes, int lines) {
        pos_ += bytes;
        line_ += lines;
    }

    // "file:line" for diagnostics.
    std::string where(int line) const;

  private:
    void skipBlanksAndLineEnds();
    void consumeLineEnd();
    ReadItem scanValue();

    std::string_view text_;
    std::string sourceName_;
    std::size_t pos_ = 0;
    int line_ = 1;
    bool readTouchedLine_ = false;  // whether the current read has consumed any character
    bool needSeparator_ = false;    // a value was just taken; a comma may follow it
    std::int64_t repeatLeft_ = 0;   // pending copies of repeatItem_
    ReadItem repeatItem_;
};

// Quoted text with a doubled quote inside standing for one.
std::string decodeText(const ReadItem& item);

// A value as a diagnostic quotes it: in single quotes, control characters
// escaped, cut after kShownCharacters characters with "…".
std::string quoteForMessage(std::string_view text);

}  // namespace tl
