// The Windows counterpart of atomic_file.cpp: the temporary file or folder is
// created beside the target through the wide-character API (names are UTF-8,
// folders end at '/' or '\', "C:name" is a file in the drive's current
// folder), written as bytes, flushed, and moved over the target in one step.
#ifdef _WIN32

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "core/errors.h"
#include "platform/atomic_file.h"
#include "platform/temporary_names.h"
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

// A temporary name beside `path` that no file has yet: `create` makes the
// file or folder, and fails with ERROR_FILE_EXISTS or ERROR_ALREADY_EXISTS
// when the name is taken.
template <class Create>
std::wstring createBeside(const std::string& path, std::string_view what, std::string_view kind,
                          Create create) {
    const std::size_t folder = folderLength(path);
    const std::string directory = folder == 0 ? "." : path.substr(0, folder);
    const std::string base = path.substr(folder);
    if (base.empty()) fail(kind, path, "the name has no file part", std::strerror(EISDIR));
    if (path.find('\0') != std::string::npos)
        fail(kind, path, "the name holds a NUL", std::strerror(EINVAL));
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name =
            widePathOf(path.substr(0, folder) +
                       temporaryName(base, std::string(what) + uniqueSuffix(attempt)));
        if (create(name)) return name;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    fail(kind, path, "cannot create a file in " + directory, windowsErrorText(::GetLastError()));
}

}  // namespace

StagedFile stageFile(const std::string& path, std::string_view content, std::string_view kind) {
    HANDLE file = INVALID_HANDLE_VALUE;
    const std::wstring temporary = createBeside(path, "", kind, [&](const std::wstring& name) {
        file = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        return file != INVALID_HANDLE_VALUE;
    });
    StagedFile staged{utf8Of(temporary), path, std::string(kind)};

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
    return staged;
}

void commitStagedFile(const StagedFile& file) {
    const std::wstring temporary = widePathOf(file.temporary);
    if (!::MoveFileExW(temporary.c_str(), widePathOf(file.target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(temporary.c_str());
        fail(file.kind, file.target, "cannot replace it", windowsErrorText(error));
    }
}

void discardStagedFile(const StagedFile& file) noexcept {
    ::DeleteFileW(widePathOf(file.temporary).c_str());
}

void writeFileAtomically(const std::string& path, std::string_view content, std::string_view kind) {
    commitStagedFile(stageFile(path, content, kind));
}

std::string makeStagingFolder(const std::string& target, std::string_view kind) {
    const std::wstring staged = createBeside(target, "new-", kind, [](const std::wstring& name) {
        return ::CreateDirectoryW(name.c_str(), nullptr) != 0;
    });
    return utf8Of(staged);
}

// Windows renames a folder only onto a free name: the old folder moves aside
// first, and back should the new one not follow.
std::optional<std::string> replaceFolder(const std::string& staged, const std::string& target,
                                         std::string_view kind) {
    const std::wstring from = widePathOf(staged);
    const std::wstring to = widePathOf(target);
    if (::GetFileAttributesW(to.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
            fail(kind, target, "cannot rename", windowsErrorText(::GetLastError()));
        return std::nullopt;
    }
    std::wstring aside;
    for (unsigned attempt = 0; attempt < 100 && aside.empty(); ++attempt) {
        const std::size_t folder = folderLength(target);
        const std::wstring name =
            widePathOf(target.substr(0, folder) +
                       temporaryName(target.substr(folder), "old-" + uniqueSuffix(attempt)));
        if (::MoveFileExW(to.c_str(), name.c_str(), MOVEFILE_WRITE_THROUGH)) {
            aside = name;
        } else {
            const DWORD error = ::GetLastError();
            if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
                fail(kind, target, "cannot move it aside", windowsErrorText(error));
        }
    }
    if (aside.empty()) fail(kind, target, "cannot move it aside", "no free name");
    if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        ::MoveFileExW(aside.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH);
        fail(kind, target, "cannot replace it", windowsErrorText(error));
    }
    return utf8Of(aside);
}

}  // namespace tl

#endif
