#pragma once
// a = (a + b) mod 256 for a < 256 and b < 256, as one 8-bit add: the upper
// bits of a stay zero, so the RC4 walk's serial chain from one byte to the
// next is one instruction instead of an add and a mask.

#include <cstdint>

namespace brisol {

inline void add_mod_256(std::uint64_t& a, std::uint64_t b) noexcept {
    __asm__("addb %b1, %b0" : "+r"(a) : "r"(b));
}

}  // namespace brisol
