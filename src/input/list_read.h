#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "input/free_format_reader.h"

namespace tl {

// One read of the control card (or the console): typed targets filled in order.
// A null value leaves its target unchanged, and after a slash every remaining
// target of the read is left unchanged. Running out of text, or text that is
// not a number where one is expected, is an InputError naming the file and line.
class ListRead {
  public:
    ListRead(FreeFormatReader& reader, std::string what);

    void integer(std::int32_t& target);
    void real(double& target);
    void text(std::string& target);
    // Reads `count` reals into one target, so that it ends holding the last.
    void realsKeepingLast(std::int64_t count, double& target);
    // What is left of the line after the values taken so far; finish() ignores it.
    std::string_view restOfLine() const;
    // The line the read has reached.
    int line() const { return reader_.line(); }
    // Ends the read; the rest of its last line is ignored.
    void finish();

  private:
    // The next value to convert, or nullptr-like false when the target stays as it is.
    bool nextValue(ReadItem& item);

    FreeFormatReader& reader_;
    std::string what_;
    bool ended_ = false;
};

[[noreturn]] void throwEndOfInput(const FreeFormatReader& reader, const std::string& what);

}  // namespace tl
