#pragma once
// GOST decrypt with AVX-512 VBMI, same output as cfb_decrypt_blocks.
//
// What is unusual here:
// - Sixteen blocks share a pair of registers (all N1 words, all N2 words);
//   four such pairs, one 512-byte chunk, are in flight together.
// - Each S-box layer is two byte permutes (vpermb) over 64-entry tables
//   indexed by nibble + 16 * byte position, one for the low nibbles and one
//   for the high; the rotation is vprold.
// - Only callable when the CPU reports AVX-512 F, BW and VBMI (kernels.cpp
//   checks before choosing it).
// - The permutes are constant-time, but key material still meets the scalar
//   table look-ups of the blocks that do not fill a chunk.

#include <cstddef>
#include <cstdint>

#include "cipher/level1_cipher.h"
#include "cipher/level2_cipher.h"

namespace brisol {

bool cpu_has_vbmi() noexcept;

void vbmi_decrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept;

// The Decrypt pass over whole chunks: per chunk, GOST then the RC4 layer.
// Each chunk's RC4 layer runs between the GOST rounds of the chunk after it,
// while both are still in the first-level cache.
void vbmi_decrypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                         std::size_t chunks) noexcept;

}  // namespace brisol
