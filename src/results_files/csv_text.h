#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tl {

// Comma-separated text as RFC 4180 has it: CR LF after every row, a field
// quoted (its quotes doubled) only when it holds a comma, a quote or a line
// break. A text field that a spreadsheet would open as a formula (see
// opensAsFormula) is written with a leading "'"; numbers never are. Reals are in shortest
// round-trip form; not-a-number and infinities are empty fields, as a missing value is.
class CsvText {
  public:
    void text(std::string_view field);
    void number(double value);
    void integer(std::int64_t value);
    void endRow();
    void reserve(std::size_t bytes) { text_.reserve(bytes); }
    std::string take() { return std::move(text_); }

  private:
    void separate();

    std::string text_;
    bool rowStarted_ = false;
};

// Whether a text cell begins with =, +, -, @, a tab or a carriage return,
// which a spreadsheet reads as the start of a formula, or with the "'" that
// marks the escape itself (so that a reader can always take one "'" off).
bool opensAsFormula(std::string_view text);

// The text as it appears in a row: behind a "'" when it opens as a formula,
// and quoted when it has to be.
std::string csvField(std::string_view text);

}  // namespace tl
