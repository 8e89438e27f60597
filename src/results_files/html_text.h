#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tl {

// Text made safe inside HTML or SVG elements and attribute values.
std::string escapeHtml(std::string_view text);

// Decimals a reader sees for a real in the page; the files hold every digit.
inline constexpr int kShownDecimals = 5;

// A real as the page shows it: kShownDecimals places, "n/a" when not a number.
std::string shownReal(double value);

// A table cell holding a number of results.json, named by its path there
// ("overall.kappa", "cuts.0.accuracy"), so the page can be checked against it.
std::string realCell(std::string_view jsonPath, double value);
std::string integerCell(std::string_view jsonPath, std::int64_t value);
// A score in full, as the card gives the cut scores: no decimals when whole.
std::string scoreCell(std::string_view jsonPath, double value);

// A table with the rows `body` in a box that scrolls sideways when the page
// is narrower. The title stays outside the box, so a phone shows it whole above
// a wide table.
std::string scrollingTable(const std::string& id, const std::string& title,
                           const std::string& body);

}  // namespace tl
