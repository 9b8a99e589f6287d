#pragma once
// The S-box rows laid out for the vector kernels, which shuffle nibbles and
// so take the rows one by one, computed by the compiler like the other
// tables (gost_tables.h).

#include <array>
#include <cstddef>
#include <cstdint>

#include "gost_tables.h"

namespace brisol {

// Byte 16p+n: S-box row 2p at n, and row 2p+1 at n shifted up four bits.
struct NibbleTables {
    std::array<std::uint8_t, 64> low{};
    std::array<std::uint8_t, 64> high{};
};

inline constexpr NibbleTables kNibbleTables = [] {
    NibbleTables t;
    for (std::size_t p = 0; p < 4; ++p)
        for (std::size_t n = 0; n < 16; ++n) {
            t.low[16 * p + n] = static_cast<std::uint8_t>(substitute(2 * p, 1, n) >> (8 * p));
            t.high[16 * p + n] = static_cast<std::uint8_t>(substitute(2 * p + 1, 1, n) >> (8 * p));
        }
    return t;
}();

}  // namespace brisol
