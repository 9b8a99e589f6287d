#pragma once
// The Crypt kernel over a round of the wide tables (level1_tables.h): the GOST
// chain, alone or with the next chunk's RC4 layer between its rounds.
// Encrypting is one chain whatever the CPU: each gamma needs the block before
// it. The chain leaves most issue slots idle, and the RC4 steps of the same
// block of the next chunk, which do not depend on it, fill them. Each
// decrypt_kernel_*.cpp includes this inside its target region and names the
// round its CPUs can run (decrypt_kernel_row).
//
// What is unusual here: a round waits for its slowest look-up and then for
// the XORs after it. In plain x86-64 the middle index takes a shift and a
// mask, so that load starts a cycle after the other two. BMI1's bit-field
// extract makes it one instruction (bmi_round, only for a region with BMI1):
// all three loads start together, and the four words combine as a tree of
// two XOR levels instead of a chain of three. The compiler folds XORs back
// into a chain unless the two halves are pinned to registers first, which the
// empty asm statement does; it emits nothing.

#include <immintrin.h>

#include "cipher/cfb_chain.h"
#include "cipher/level1_tables.h"
#include "cipher/level2_lookahead.h"

namespace brisol {
namespace {

inline std::uint32_t bmi_round(std::uint32_t word, std::uint32_t x) noexcept {
    std::uint32_t high = word ^ kWideTables.high[x >> 24];
    std::uint32_t rest = kWideTables.low[x & 0xFFF] ^
                         kWideTables.middle[_bextr_u64(x, kWideIndexBits, kWideIndexBits)];
    __asm__("" : "+r"(high), "+r"(rest));
    return high ^ rest;
}

template <auto Round>
inline void encrypt_blocks_with(Level1Cipher& cipher, std::uint8_t* data,
                                std::size_t blocks) noexcept {
    const RoundKeys keys = cipher.round_keys;  // apart from the bytes the rounds write
    cfb_encrypt_chain(cipher.reg, data, blocks, [&keys](auto& n1, auto& n2, std::size_t) {
        basic_transform<Round>(n1, n2, keys, NoWork{});
    });
}

template <auto Round>
inline void crypt_chunks_with(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                              std::size_t chunks) noexcept {
    if (chunks == 0) return;
    apply_lookahead(level2, data, kChunkSize);
    const RoundKeys keys = level1.round_keys;
    for (std::size_t c = 0; c + 1 < chunks; ++c) {
        std::uint8_t* chunk = data + c * kChunkSize;
        std::uint8_t* next = chunk + kChunkSize;
        Rc4Lookahead walk(level2.s.begin());
        cfb_encrypt_chain(level1.reg, chunk, kBlocksPerChunk,
                          [&](auto& n1, auto& n2, std::size_t b) {
                              // One RC4 byte per two round pairs: eight per block.
                              basic_transform<Round>(n1, n2, keys, [&](std::size_t pair) {
                                  if (pair % 2 == 1) walk.step(next[b * kBlockSize + pair / 2]);
                              });
                          });
    }
    encrypt_blocks_with<Round>(level1, data + (chunks - 1) * kChunkSize, kBlocksPerChunk);
}

}  // namespace
}  // namespace brisol
