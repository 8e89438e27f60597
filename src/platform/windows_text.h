#pragma once

// Text at the Windows API boundary. The program keeps every name in UTF-8; the
// wide-character API takes UTF-16.
#ifdef _WIN32

#include <string>
#include <string_view>

namespace tl {

// A file name as the wide API takes it. Names that are not UTF-8 (a card saved
// by an older editor in the machine's legacy code page) are read in that code
// page.
std::wstring widePathOf(std::string_view name);

std::string utf8Of(std::wstring_view text);

// The system's message for a GetLastError() code, without its final period
// and line end.
std::string windowsErrorText(unsigned long code);

}  // namespace tl

#endif
