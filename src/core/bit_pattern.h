#pragma once

// A double and its IEEE 754 bit pattern, both ways. std::bit_cast where the
// C++ library has it; a byte copy, which compilers reduce to the same move,
// where it does not (the WebAssembly build's library).

#include <bit>
#include <cstdint>
#include <cstring>

namespace tl {

inline double doubleFromBits(std::uint64_t bits) {
#if defined(__cpp_lib_bit_cast)
    return std::bit_cast<double>(bits);
#else
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
#endif
}

inline std::uint64_t bitsOfDouble(double value) {
#if defined(__cpp_lib_bit_cast)
    return std::bit_cast<std::uint64_t>(value);
#else
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
#endif
}

}  // namespace tl
