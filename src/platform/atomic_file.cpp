// POSIX; Windows has atomic_file_windows.cpp.
#ifndef _WIN32

#include "platform/atomic_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include "core/errors.h"
#include "platform/temporary_names.h"

namespace tl {

namespace {

[[noreturn]] void fail(std::string_view kind, const std::string& path, const std::string& what,
                       int error) {
    throw InputError("cannot write the " + std::string(kind) + " " + path + ": " + what + ": " +
                     std::strerror(error));
}

// The process's file creation mask. Reading it means setting it for a moment,
// so two threads writing files at once (the tests of a program) take turns.
mode_t creationMask() {
#if defined(__EMSCRIPTEN__)
    // WebAssembly's C library keeps no mask of the user's and answers 0777,
    // which would leave every file unreadable where the engine writes to a
    // real file system (under Node): the usual mask stands in for it.
    return 022;
#else
    static std::mutex turns;
    const std::lock_guard lock(turns);
    const mode_t current = ::umask(0);
    ::umask(current);
    return current;
#endif
}

struct Place {
    std::string folder;  // with its final '/', or empty for the working folder
    std::string base;
};

Place placeOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {"", path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

std::vector<char> pattern(const Place& place, std::string_view what) {
    const std::string text = place.folder + temporaryName(place.base, what);
    std::vector<char> name(text.begin(), text.end());
    name.push_back('\0');
    return name;
}

std::string folderText(const Place& place) {
    return place.folder.empty() ? "." : place.folder;
}

// Renames `from` to `to`, exchanging the two where `exchange` is set and the
// file system can; false with errno set otherwise.
bool renameFolder(const std::string& from, const std::string& to, bool exchange) {
#if defined(__linux__) && !defined(__EMSCRIPTEN__) && defined(RENAME_EXCHANGE)
    const unsigned flags = exchange ? RENAME_EXCHANGE : RENAME_NOREPLACE;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), flags) == 0) return true;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return false;
#endif
    if (exchange) {
        errno = ENOTSUP;
        return false;
    }
    return ::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

StagedFile stageFile(const std::string& path, std::string_view content, std::string_view kind) {
    const Place place = placeOf(path);
    if (place.base.empty()) fail(kind, path, "the name has no file part", EISDIR);
    std::vector<char> name = pattern(place, "XXXXXX");
    const int fd = ::mkstemp(name.data());
    if (fd < 0) fail(kind, path, "cannot create a file in " + folderText(place), errno);
    StagedFile staged{std::string(name.data()), path, std::string(kind)};

    auto abandon = [&](const std::string& what, int error) {
        ::close(fd);
        ::unlink(staged.temporary.c_str());
        fail(kind, path, what, error);
    };
    if (::fchmod(fd, 0666 & ~creationMask()) != 0) abandon("cannot set permissions", errno);
    std::size_t written = 0;
    while (written < content.size()) {
        const ssize_t got = ::write(fd, content.data() + written, content.size() - written);
        if (got < 0) {
            if (errno == EINTR) continue;
            abandon("write failed", errno);
        }
        written += static_cast<std::size_t>(got);
    }
    if (::fsync(fd) != 0) abandon("cannot flush", errno);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(staged.temporary.c_str());
        fail(kind, path, "close failed", error);
    }
    return staged;
}

void commitStagedFile(const StagedFile& file) {
    if (::rename(file.temporary.c_str(), file.target.c_str()) != 0) {
        const int error = errno;
        ::unlink(file.temporary.c_str());
        fail(file.kind, file.target, "cannot replace it", error);
    }
}

void discardStagedFile(const StagedFile& file) noexcept {
    ::unlink(file.temporary.c_str());
}

void writeFileAtomically(const std::string& path, std::string_view content, std::string_view kind) {
    commitStagedFile(stageFile(path, content, kind));
}

std::string makeStagingFolder(const std::string& target, std::string_view kind) {
    const Place place = placeOf(target);
    std::vector<char> name = pattern(place, "new-XXXXXX");
    if (::mkdtemp(name.data()) == nullptr)
        fail(kind, target, "cannot create a folder in " + folderText(place), errno);
    const std::string staged(name.data());
    if (::chmod(staged.c_str(), 0777 & ~creationMask()) != 0) {
        const int error = errno;
        ::rmdir(staged.c_str());
        fail(kind, target, "cannot set permissions", error);
    }
    return staged;
}

std::optional<std::string> replaceFolder(const std::string& staged, const std::string& target,
                                         std::string_view kind) {
    struct stat status {};
    if (::lstat(target.c_str(), &status) != 0) {
        if (errno != ENOENT) fail(kind, target, "cannot look at it", errno);
        if (!renameFolder(staged, target, false)) fail(kind, target, "cannot rename", errno);
        return std::nullopt;
    }
    if (renameFolder(staged, target, true)) return staged;
    if (errno != ENOTSUP) fail(kind, target, "cannot replace it", errno);
    // No exchange here: the old folder is renamed aside onto an empty folder
    // made for the purpose, which rename may replace.
    std::vector<char> name = pattern(placeOf(target), "old-XXXXXX");
    if (::mkdtemp(name.data()) == nullptr) fail(kind, target, "cannot move it aside", errno);
    const std::string aside(name.data());
    if (::rename(target.c_str(), aside.c_str()) != 0) {
        const int error = errno;
        ::rmdir(aside.c_str());
        fail(kind, target, "cannot move it aside", error);
    }
    if (!renameFolder(staged, target, false)) {
        const int error = errno;
        ::rename(aside.c_str(), target.c_str());
        fail(kind, target, "cannot replace it", error);
    }
    return aside;
}

}  // namespace tl

#endif
