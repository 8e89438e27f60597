#include "platform/png_converter.h"

#include "core/errors.h"

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

extern char** environ;
#endif

namespace tl {

#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)

std::optional<std::string> findPngConverter() {
    const char* path = std::getenv("PATH");
    if (!path) return std::nullopt;
    const std::string folders = path;
    for (std::size_t begin = 0; begin <= folders.size();) {
        std::size_t end = folders.find(':', begin);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = folders.substr(begin, end - begin);
        const std::string candidate = (folder.empty() ? "." : folder) + "/rsvg-convert";
        struct stat status {};
        if (::stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
        begin = end + 1;
    }
    return std::nullopt;
}

void convertSvgToPng(const std::string& converter, const std::string& svg, const std::string& png) {
    const auto fail = [&](const std::string& why) {
        throw InputError("cannot convert the figure " + svg + " to PNG with " + converter + ": " +
                         why + "; remove rsvg-convert from PATH to write SVG alone");
    };
    std::vector<std::string> words{converter, "--format", "png", "--output", png, svg};
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    // The converter's own messages would break the console's lines.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int started =
        posix_spawn(&child, converter.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) fail(std::strerror(started));
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) fail(std::strerror(errno));
    }
    if (!WIFEXITED(status)) fail("it stopped on signal " + std::to_string(WTERMSIG(status)));
    if (WEXITSTATUS(status) != 0)
        fail("it exited with status " + std::to_string(WEXITSTATUS(status)));
}

#else

std::optional<std::string> findPngConverter() {
    return std::nullopt;
}

void convertSvgToPng(const std::string& converter, const std::string& svg, const std::string&) {
    throw InputError("cannot convert the figure " + svg + " to PNG with " + converter +
                     ": this system runs no converter");
}

#endif

}  // namespace tl
