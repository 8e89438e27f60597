// POSIX; Windows has text_file_windows.cpp.
#ifndef _WIN32

#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace tl {

namespace {

// A data file of a large run is a hundred megabytes or more, read afresh for
// every pass; touching it page by page costs more than reading it. Asking for
// large pages on the fresh buffer cuts the page faults by hundreds; where they
// are not available the advice is ignored.
void adviseLargePages(char* data, std::size_t bytes) {
    constexpr std::size_t kLarge = std::size_t{2} << 20;
    if (bytes < 4 * kLarge) return;
    const auto first = (reinterpret_cast<std::uintptr_t>(data) + kLarge - 1) & ~(kLarge - 1);
    const auto last = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kLarge - 1);
    if (last > first) ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

}  // namespace

std::optional<std::string> readTextFile(const std::string& path) {
    if (path.empty() || path.find('\0') != std::string::npos) return std::nullopt;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string content;
    if (S_ISREG(info.st_mode) && info.st_size > 0) {
        content.reserve(static_cast<std::size_t>(info.st_size));
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
