#pragma once
// GOST decrypt with AVX2, same output as cfb_decrypt_blocks, for CPUs
// without AVX-512 VBMI.
//
// What is unusual here:
// - Eight blocks share a pair of registers (all N1 words, all N2 words);
//   four such pairs are in flight together.
// - AVX2 has no byte permute over 64 entries, so each of the four byte
//   positions of a word takes two 16-entry shuffles (low and high nibble)
//   with its own S-box rows, masked to its byte; the rotation is two shifts.
// - Only callable when the CPU reports AVX2 (kernels.cpp checks before
//   choosing it).
// - The shuffles are constant-time, but the blocks that do not fill a chunk
//   go through the scalar table look-ups.

#include <cstddef>
#include <cstdint>

#include "cipher/level1_cipher.h"
#include "cipher/level2_cipher.h"

namespace brisol {

bool cpu_has_avx2() noexcept;

void avx2_decrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept;

// The Decrypt pass over whole chunks: per chunk, GOST then the RC4 layer.
void avx2_decrypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                         std::size_t chunks) noexcept;

}  // namespace brisol
