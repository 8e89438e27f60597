#ifdef _WIN32

#include "platform/windows_text.h"

#include <windows.h>

#include <climits>

namespace tl {

namespace {

unsigned legacyCodePage() {
    // Not GetACP(): the program's manifest makes that UTF-8.
    DWORD page = 0;
    const int got =
        ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                         reinterpret_cast<LPWSTR>(&page), sizeof page / sizeof(WCHAR));
    return got > 0 && page != 0 ? page : 1252;
}

std::wstring wideOf(std::string_view text, unsigned codePage, DWORD flags) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int size = static_cast<int>(text.size());
    const int needed = ::MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
    if (needed <= 0) return {};
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), needed);
    return wide;
}

}  // namespace

std::wstring widePathOf(std::string_view name) {
    std::wstring wide = wideOf(name, CP_UTF8, MB_ERR_INVALID_CHARS);
    if (wide.empty() && !name.empty()) wide = wideOf(name, legacyCodePage(), 0);
    return wide;
}

std::string utf8Of(std::wstring_view text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int size = static_cast<int>(text.size());
    const int needed =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return {};
    std::string utf8(static_cast<std::size_t>(needed), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, utf8.data(), needed, nullptr, nullptr);
    return utf8;
}

std::string windowsErrorText(unsigned long code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
    std::string text = length > 0 ? utf8Of(std::wstring_view(buffer, length)) : std::string();
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    return text.empty() ? "Windows error " + std::to_string(code) : text;
}

}  // namespace tl

#endif
