#pragma once
// The RC4 layer (level2_cipher.h) over many chunks at once, faster and with
// the same output and the same permutation left behind.
//
// What is unusual here:
// - The permutation is copied into 32-bit words for the run and back at its
//   end: byte entries, stored and soon loaded again as indices, ran about a
//   third slower on the CPUs measured. The copy is wiped.
// - j lives in a register whose upper bits stay zero, and on x86-64 it grows
//   by an 8-bit add, so the serial chain from one byte to the next is one
//   instruction instead of an add and a mask.
// - Eight keystream bytes are gathered into one word and XORed in one go.
// - Look-ups are indexed by secret state and are not constant-time.

#include <cstddef>
#include <cstdint>

#include "cipher/level2_cipher.h"

namespace brisol {

// Same contract as apply_chunks(): data starts at a chunk boundary, the last
// chunk may be short.
void apply_chunks_in_words(Level2Cipher& cipher, std::uint8_t* data, std::size_t n) noexcept;

}  // namespace brisol
