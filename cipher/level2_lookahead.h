#pragma once
// The RC4 layer (level2_cipher.h) again, faster and with the same output.
//
// What is unusual here:
// - Plain RC4 is bound by one chain: the next S[i] load waits for the store
//   to S[j] just before it, then j waits for that load. Here S[i+2] is loaded
//   a step early and patched when that store hit it, and j's next value is
//   picked between two sums computed in parallel, so each step waits only
//   for a compare and a select.
// - Look-ups are indexed by secret state and are not constant-time.

#include <cstddef>
#include <cstdint>

#include "cipher/level2_cipher.h"

namespace brisol {

// Same contract as apply(): one chunk or a shorter tail, n <= 512.
void apply_lookahead(Level2Cipher& cipher, std::uint8_t* data, std::size_t n) noexcept;

}  // namespace brisol
