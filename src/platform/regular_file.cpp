#include "platform/regular_file.h"

#include <filesystem>
#include <system_error>

#include "core/errors.h"
#include "core/one_line.h"
#include "platform/file_names.h"

namespace tl {

std::string specialFileMessage(const std::string& path, const std::string& kind) {
    return oneLine(path + " is not a regular file (" + kind +
                   "): name a file on disk, or copy the input into one first");
}

void refuseSpecialFile(const std::string& path) {
    namespace fs = std::filesystem;
    if (path.empty() || path.find('\0') != std::string::npos) return;
    std::error_code error;
    const fs::file_type type = fs::status(filePathOf(path), error).type();
    switch (type) {
        case fs::file_type::fifo:
            throw InputError(specialFileMessage(path, "a named pipe"));
        case fs::file_type::block:
        case fs::file_type::character:
            throw InputError(specialFileMessage(path, "a device"));
        case fs::file_type::socket:
            throw InputError(specialFileMessage(path, "a socket"));
        default:
            return;
    }
}

}  // namespace tl
