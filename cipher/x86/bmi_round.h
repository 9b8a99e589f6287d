#pragma once
// Crypt's GOST round by the wide tables (gost_tables.h) for CPUs with BMI1,
// which every CPU with AVX2 has; each x86 kernel includes this inside its
// target region and names it as its crypt_round.
//
// What is unusual here: a round waits for its slowest look-up and then for
// the XORs after it. In plain x86-64 the middle index takes a shift and a
// mask, so that load starts a cycle after the other two. BMI1's bit-field
// extract makes it one instruction: all three loads start together, and the
// four words combine as a tree of two XOR levels instead of a chain of
// three. The compiler folds XORs back into a chain unless the two halves are
// pinned to registers first, which the empty asm statement does; it emits
// nothing.

#include <immintrin.h>

#include "gost_tables.h"

namespace brisol {
namespace {

inline std::uint32_t bmi_round(std::uint32_t word, std::uint32_t x) noexcept {
    std::uint32_t high = word ^ kWideTables.high[x >> 24];
    std::uint32_t rest = kWideTables.low[x & 0xFFF] ^
                         kWideTables.middle[_bextr_u64(x, kWideIndexBits, kWideIndexBits)];
    __asm__("" : "+r"(high), "+r"(rest));
    return high ^ rest;
}

}  // namespace
}  // namespace brisol
