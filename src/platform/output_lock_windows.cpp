// The Windows counterpart of output_lock.cpp: the lock is the lock file held
// open without sharing it for writing, and deleted when it is closed, which
// the system also does for a process that is killed.
#ifdef _WIN32

#include <windows.h>

#include <string>

#include "core/errors.h"
#include "platform/output_lock.h"
#include "platform/temporary_names.h"
#include "platform/windows_text.h"

namespace tl {

namespace {

std::string holderOf(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "";
    char buffer[64];
    DWORD got = 0;
    std::string text;
    if (::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) text.assign(buffer, got);
    ::CloseHandle(file);
    return lockHolder(text);
}

}  // namespace

OutputLock::OutputLock(const std::string& target, std::string_view kind)
    : path_(lockFilePath(target)) {
    const std::string what = std::string(kind) + " " + target;
    const std::wstring wide = widePathOf(path_);
    const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                      FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION)
            throw InputError(lockHeldMessage(what, holderOf(wide)));
        throw InputError("cannot write the " + what + ": cannot create its lock file " + path_ +
                         ": " + windowsErrorText(error));
    }
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        char buffer[64];
        DWORD got = 0;
        std::string holder;
        if (::ReadFile(file, buffer, sizeof buffer, &got, nullptr)) holder.assign(buffer, got);
        holder = lockHolder(holder);
        staleHolder_ = holder.empty() ? std::string("unknown") : holder;
        ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
        ::SetEndOfFile(file);
    }
    const std::string pid = std::to_string(::GetCurrentProcessId()) + "\r\n";
    DWORD written = 0;
    ::WriteFile(file, pid.data(), static_cast<DWORD>(pid.size()), &written, nullptr);
    handle_ = file;
}

OutputLock::~OutputLock() {
    ::CloseHandle(static_cast<HANDLE>(handle_));
}

}  // namespace tl

#endif
