// POSIX; Windows has atomic_file_windows.cpp.
#ifndef _WIN32

#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <vector>

#include "core/errors.h"

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

}  // namespace

void writeFileAtomically(const std::string& path, std::string_view content, std::string_view kind) {
    const std::size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.empty()) fail(kind, path, "the name has no file part", EISDIR);
    std::string pattern = (slash == std::string::npos ? "" : directory) + "." + base + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) fail(kind, path, "cannot create a file in " + directory, errno);
    const std::string temporary(name.data());

    auto abandon = [&](const std::string& what, int error) {
        ::close(fd);
        ::unlink(temporary.c_str());
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
        ::unlink(temporary.c_str());
        fail(kind, path, "close failed", error);
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        fail(kind, path, "cannot replace it", error);
    }
}

}  // namespace tl

#endif
