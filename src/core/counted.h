#pragma once

#include <cstdint>
#include <string>

namespace tl {

// A count with its noun in agreement: "1 item score", "2 item scores".
inline std::string counted(std::int64_t count, const std::string& one, const std::string& many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace tl
