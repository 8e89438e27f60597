// The Windows counterpart of atomic_file.cpp: the temporary file is created
// beside the target through the wide-character API (names are UTF-8, folders
// end at '/' or '\', "C:name" is a file in the drive's current folder),
// written as bytes, flushed, and moved over the target in one step.
#ifdef _WIN32

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "core/errors.h"
#include "platform/atomic_file.h"
#include "platform/windows_text.h"

namespace tl {

namespace {

[[noreturn]] void fail(std::string_view kind, const std::string& path, const std::string& what,
                       const std::string& reason) {
    throw InputError("cannot write the " + std::string(kind) + " " + path + ": " + what + ": " +
                     reason);
}

// The length of the folder part of `path`, its last separator included.
std::size_t folderLength(const std::string& path) {
    const std::size_t separator = path.find_last_of("/\\");
    if (separator != std::string::npos) return separator + 1;
    const bool drive = path.size() >= 2 && path[1] == ':' &&
                       ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
    return drive ? 2 : 0;
}

// Six letters that differ between calls, processes and runs.
std::string uniqueSuffix(unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    unsigned long long seed = static_cast<unsigned long long>(
        std::chrono::steady_clock::now().time_since_epoch().count());
    seed ^= static_cast<unsigned long long>(::GetCurrentProcessId()) << 32;
    seed += 0x9E3779B97F4A7C15ull * (counter.fetch_add(1) + attempt + 1);
    const char* const letters = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    for (int i = 0; i < 6; ++i) {
        seed ^= seed >> 29;
        seed *= 0xBF58476D1CE4E5B9ull;
        suffix += letters[(seed >> 40) % 36];
    }
    return suffix;
}

}  // namespace

void writeFileAtomically(const std::string& path, std::string_view content, std::string_view kind) {
    const std::size_t folder = folderLength(path);
    const std::string directory = folder == 0 ? "." : path.substr(0, folder);
    const std::string base = path.substr(folder);
    if (base.empty()) fail(kind, path, "the name has no file part", std::strerror(EISDIR));
    if (path.find('\0') != std::string::npos)
        fail(kind, path, "the name holds a NUL", std::strerror(EINVAL));
    const std::wstring target = widePathOf(path);

    std::wstring temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = widePathOf(path.substr(0, folder) + "." + base + "." + uniqueSuffix(attempt));
        file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (file == INVALID_HANDLE_VALUE) {
        fail(kind, path, "cannot create a file in " + directory,
             windowsErrorText(::GetLastError()));
    }

    auto abandon = [&](const std::string& what, DWORD error) {
        ::CloseHandle(file);
        ::DeleteFileW(temporary.c_str());
        fail(kind, path, what, windowsErrorText(error));
    };
    std::size_t written = 0;
    while (written < content.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(content.size() - written, 1u << 30));
        DWORD got = 0;
        if (!::WriteFile(file, content.data() + written, chunk, &got, nullptr)) {
            abandon("write failed", ::GetLastError());
        }
        written += got;
    }
    if (!::FlushFileBuffers(file)) abandon("cannot flush", ::GetLastError());
    if (!::CloseHandle(file)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(temporary.c_str());
        fail(kind, path, "close failed", windowsErrorText(error));
    }
    if (!::MoveFileExW(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(temporary.c_str());
        fail(kind, path, "cannot replace it", windowsErrorText(error));
    }
}

}  // namespace tl

#endif
