#include "platform/temporary_names.h"

#include <algorithm>

namespace tl {

namespace {

constexpr std::string_view kTag = ".tesserlink-";
constexpr std::string_view kLock = "lock";
// The longest `what`: "old-" or "new-" and six letters.
constexpr std::size_t kLongestWhat = 10;
constexpr std::size_t kLongestName = 255;

std::string prefixOf(std::string_view base) {
    std::size_t keep = std::min(base.size(), kLongestName - 1 - kTag.size() - kLongestWhat);
    // Not inside a UTF-8 character.
    while (keep > 0 && keep < base.size() &&
           (static_cast<unsigned char>(base[keep]) & 0xC0) == 0x80) {
        --keep;
    }
    std::string prefix(1, '.');
    prefix.append(base.substr(0, keep)).append(kTag);
    return prefix;
}

}  // namespace

std::string temporaryName(std::string_view base, std::string_view what) {
    return prefixOf(base).append(what);
}

std::string lockFileName(std::string_view base) {
    return temporaryName(base, kLock);
}

std::string lockFilePath(std::string_view target) {
#ifdef _WIN32
    const std::size_t separator = target.find_last_of("/\\");
#else
    const std::size_t separator = target.rfind('/');
#endif
    if (separator == std::string_view::npos) return lockFileName(target);
    std::string path(target.substr(0, separator + 1));
    return path.append(lockFileName(target.substr(separator + 1)));
}

std::string lockHolder(std::string_view text) {
    text = text.substr(0, text.find_first_of("\r\n"));
    return std::string(text);
}

std::string lockHeldMessage(std::string_view what, std::string_view holder) {
    const std::string process = lockHolder(holder);
    return "the " + std::string(what) + " is being written by another run (process " +
           (process.empty() ? "unknown" : process) +
           "): wait for it to finish, or name another output";
}

bool isTemporaryOf(std::string_view entry, std::string_view base) {
    const std::string prefix = prefixOf(base);
    return entry.starts_with(prefix) && entry.size() > prefix.size() &&
           entry.substr(prefix.size()) != kLock;
}

}  // namespace tl
