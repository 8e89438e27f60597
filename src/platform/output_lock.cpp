// POSIX; Windows has output_lock_windows.cpp.
#ifndef _WIN32

#include "platform/output_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/errors.h"
#include "platform/temporary_names.h"

namespace tl {

namespace {

std::string contentOf(int fd) {
    std::string text;
    char buffer[64];
    ssize_t got = 0;
    while ((got = ::pread(fd, buffer, sizeof buffer, static_cast<off_t>(text.size()))) > 0 &&
           text.size() < 64) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return lockHolder(text);
}

}  // namespace

OutputLock::OutputLock(const std::string& target, std::string_view kind)
    : path_(lockFilePath(target)) {
    const std::string what = std::string(kind) + " " + target;
    // A lock file another run removes between our open and our lock is no
    // lock at all: the lock holds only on the file still under its name.
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            throw InputError("cannot write the " + what + ": cannot create its lock file " + path_ +
                             ": " + std::strerror(errno));
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            const std::string holder = contentOf(fd);
            ::close(fd);
            if (error == EWOULDBLOCK) throw InputError(lockHeldMessage(what, holder));
            throw InputError("cannot write the " + what + ": cannot lock " + path_ + ": " +
                             std::strerror(error));
        }
        struct stat opened;
        struct stat named;
        if (::fstat(fd, &opened) != 0 || ::stat(path_.c_str(), &named) != 0 ||
            opened.st_ino != named.st_ino || opened.st_dev != named.st_dev) {
            ::close(fd);
            continue;
        }
        const std::string holder = contentOf(fd);
        if (!holder.empty()) staleHolder_ = holder;
        const std::string pid = std::to_string(::getpid()) + "\n";
        if (::ftruncate(fd, 0) != 0 ||
            ::pwrite(fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
            const int error = errno;
            ::unlink(path_.c_str());
            ::close(fd);
            throw InputError("cannot write the " + what + ": cannot write its lock file " + path_ +
                             ": " + std::strerror(error));
        }
        fd_ = fd;
        return;
    }
    throw InputError("cannot write the " + what + ": its lock file " + path_ + " keeps changing");
}

OutputLock::~OutputLock() {
    // Removed while still locked, so that no other run locks the old file.
    ::unlink(path_.c_str());
    ::close(fd_);
}

}  // namespace tl

#endif
