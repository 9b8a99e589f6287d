#pragma once
// The constant tables of the GOST layer, computed by the compiler from the
// S-boxes (gost_sboxes.h), so there is nothing to build at run time and
// nothing that can be forgotten.
//
// What is unusual here:
// - The reference round uses four byte tables T0..T3 (rows merged pairwise).
// - The wide tables fold the substitution and the <<<11 rotation into three
//   look-ups of 12, 12 and 8 bits; rotation distributes over XOR, so each
//   entry is the rotated substitution of the nibbles its index covers.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include "gost_sboxes.h"

namespace brisol {

// S-box rows first_row.. over the nibbles of x, each in its place in a word.
constexpr std::uint32_t substitute(std::size_t first_row, std::size_t rows,
                                   std::size_t x) noexcept {
    std::uint32_t s = 0;
    for (std::size_t r = 0; r < rows; ++r)
        s |= std::uint32_t{kTestParamSBoxes[first_row + r][(x >> (4 * r)) & 15]}
             << (4 * (first_row + r));
    return s;
}

// T_k[x] substitutes byte k of a word: rows 2k (low nibble) and 2k+1 (high).
using SubstitutionTables = std::array<std::array<std::uint8_t, 256>, 4>;

constexpr SubstitutionTables build_tables() noexcept {
    SubstitutionTables t{};
    for (std::size_t k = 0; k < 4; ++k)
        for (std::size_t x = 0; x < 256; ++x)
            t[k][x] = static_cast<std::uint8_t>(substitute(2 * k, 2, x) >> (8 * k));
    return t;
}

inline constexpr std::size_t kWideIndexBits = 12;
struct WideTables {
    std::array<std::uint32_t, 1u << kWideIndexBits> low{};     // word bits 0..11
    std::array<std::uint32_t, 1u << kWideIndexBits> middle{};  // bits 12..23
    std::array<std::uint32_t, 256> high{};                     // bits 24..31
};

constexpr WideTables build_wide_tables() noexcept {
    WideTables w{};
    for (std::size_t x = 0; x < w.low.size(); ++x) {
        w.low[x] = std::rotl(substitute(0, 3, x), 11);
        w.middle[x] = std::rotl(substitute(3, 3, x), 11);
    }
    for (std::size_t x = 0; x < w.high.size(); ++x) w.high[x] = std::rotl(substitute(6, 2, x), 11);
    return w;
}

inline constexpr SubstitutionTables kSubstitutionTables = build_tables();
inline constexpr WideTables kWideTables = build_wide_tables();

// XORs the round function of x into word by the wide tables, the look-up
// whose index takes the most work last, so only one XOR follows the slowest
// load.
inline std::uint32_t wide_round(std::uint32_t word, std::uint32_t x) noexcept {
    word ^= kWideTables.high[x >> 24];
    word ^= kWideTables.low[x & 0xFFF];
    return word ^ kWideTables.middle[(x >> kWideIndexBits) & 0xFFF];
}

}  // namespace brisol
