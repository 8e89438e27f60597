// POSIX; Windows has text_file_windows.cpp.
#ifndef _WIN32

#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "core/errors.h"
#include "platform/large_pages.h"
#include "platform/regular_file.h"

namespace tl {

std::optional<std::string> readTextFile(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) return std::nullopt;
    // Without O_NONBLOCK the open of a named pipe waits for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        throw InputError(specialFileMessage(path, S_ISFIFO(info.st_mode)   ? "a named pipe"
                                                  : S_ISSOCK(info.st_mode) ? "a socket"
                                                                           : "a device"));
    }
    std::string content;
    if (info.st_size > 0) {
        content.reserve(static_cast<std::size_t>(info.st_size));
        // A data file of a large run is read afresh for every pass.
        adviseLargePages(content.data(), content.capacity());
    }
    char buffer[1 << 16];
    while (true) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) break;
        content.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (content.compare(0, 3, "\xEF\xBB\xBF") == 0) content.erase(0, 3);
    return content;
}

}  // namespace tl

#endif
