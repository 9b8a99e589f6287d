#pragma once
// The GOST layer (level1_cipher.h) again, faster and with the same output.
//
// What is unusual here:
// - A round is three look-ups in the WideTables of the cipher, with the
//   substitution and the <<<11 rotation folded into the entries.
// - Decrypt works on eight blocks at once: the gamma of block k is the
//   encryption of ciphertext block k-1, all of which are known in advance.
// - Encrypt is one chain and cannot be split; the Crypt pass (kernels.cpp)
//   fills its idle issue slots with the next chunk's RC4 work instead.
// - Table look-ups are indexed by secret-dependent data and are not
//   constant-time.

#include <cstddef>
#include <cstdint>

#include "cipher/level1_cipher.h"

namespace brisol {

// The tables and round keys of one cipher, copied out so that the compiler
// keeps them apart from the bytes the rounds write.
struct WideRounds {
    const std::uint32_t* low;
    const std::uint32_t* middle;
    const std::uint32_t* high;
    RoundKeys keys;
};

WideRounds wide_rounds(const Level1Cipher& cipher) noexcept;

// XORs one round into word, the look-up whose index takes the most work last,
// so that only one XOR follows the slowest load.
inline std::uint32_t wide_round(const WideRounds& w, std::uint32_t word, std::uint32_t x) noexcept {
    word ^= w.high[x >> 24];
    word ^= w.low[x & 0xFFF];
    return word ^ w.middle[(x >> kWideIndexBits) & 0xFFF];
}

// The basic transform by round pairs: each pair leaves N1 and N2 in place,
// and the last step's missing swap becomes the order of the result.
inline BlockWords wide_encrypt_block(const WideRounds& w, std::uint32_t n1,
                                     std::uint32_t n2) noexcept {
#pragma GCC unroll 16
    for (std::size_t step = 0; step < 32; step += 2) {
        n2 = wide_round(w, n2, n1 + w.keys[step]);
        n1 = wide_round(w, n1, n2 + w.keys[step + 1]);
    }
    return {n2, n1};
}

// Same results and register as cfb_encrypt_blocks / cfb_decrypt_blocks.
void wide_encrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept;
void wide_decrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept;

}  // namespace brisol
