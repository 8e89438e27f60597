#pragma once

#include <string>

namespace tl {

// The choices a message offers, "a, b or c".
template <class Names>
std::string alternatives(const Names& names) {
    std::string listed;
    std::size_t i = 0;
    for (const auto& name : names) {
        listed += (i == 0 ? "" : i + 1 == std::size(names) ? " or " : ", ") + std::string(name);
        ++i;
    }
    return listed;
}

}  // namespace tl
