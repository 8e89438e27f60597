// The Windows counterpart of text_file.cpp: the file is opened through the
// wide-character API (the name is UTF-8) and read as bytes, so that CR LF
// and a stray Ctrl-Z reach the readers as they stand in the file.
#ifdef _WIN32

#include <windows.h>

#include <vector>

#include "core/errors.h"
#include "platform/regular_file.h"
#include "platform/text_file.h"
#include "platform/windows_text.h"

namespace tl {

std::optional<std::string> readTextFile(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) return std::nullopt;
    const std::wstring name = widePathOf(path);
    if (name.empty()) return std::nullopt;
    // Without FILE_FLAG_BACKUP_SEMANTICS a folder cannot be opened, so a
    // folder's name reads as a missing file, as on Linux.
    const HANDLE file = ::CreateFileW(name.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string content;
    LARGE_INTEGER size{};
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        const bool pipe = ::GetFileType(file) == FILE_TYPE_PIPE;
        ::CloseHandle(file);
        throw InputError(specialFileMessage(path, pipe ? "a named pipe" : "a device"));
    }
    if (::GetFileSizeEx(file, &size) && size.QuadPart > 0) {
        content.reserve(static_cast<std::size_t>(size.QuadPart));
    }
    std::vector<char> buffer(1 << 16);
    while (true) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            if (::GetLastError() == ERROR_BROKEN_PIPE) break;  // a pipe's end
            ::CloseHandle(file);
            return std::nullopt;
        }
        if (got == 0) break;
        content.append(buffer.data(), got);
    }
    ::CloseHandle(file);
    if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) content.erase(0, 3);
    return content;
}

}  // namespace tl

#endif
