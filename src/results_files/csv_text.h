#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tl {

// Comma-separated text as RFC 4180 has it: CR LF after every row, a field
// quoted (its quotes doubled) only when it holds a comma, a quote or a line
// break. Reals are in shortest round-trip form; not-a-number and infinities
// are empty fields, as a missing value is.
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

// The field as it appears in a row: quoted when it has to be.
std::string csvField(std::string_view field);

}  // namespace tl
