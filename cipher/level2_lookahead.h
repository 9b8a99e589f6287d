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

// One chunk's walk: construct at the chunk's first byte, then step once per
// byte. At the top of each step i and j are as RC4 has them after advancing,
// si = S[i], and next = S[i+1] as it stands before this step's swap; j runs
// on unmasked and only its low byte indexes and compares.
struct Rc4Lookahead {
    std::uint8_t* s;
    std::uint8_t i = 1;
    std::uint32_t si;
    std::uint32_t j;
    std::uint32_t next;

    explicit Rc4Lookahead(std::uint8_t* state) noexcept
        : s(state), si(state[1]), j(state[1]), next(state[2]) {}

    void step(std::uint8_t& byte) noexcept {
        const auto jb = static_cast<std::uint8_t>(j);
        const std::uint32_t sj = s[jb];
        const auto i1 = static_cast<std::uint8_t>(i + 1);
        const auto i2 = static_cast<std::uint8_t>(i + 2);
        const std::uint32_t after_next = s[i2];
        s[i] = static_cast<std::uint8_t>(sj);
        s[jb] = static_cast<std::uint8_t>(si);
        byte ^= s[static_cast<std::uint8_t>(si + sj)];
        // The store to S[j] is the only one of this step that can land on
        // i+1 or i+2. Both sums for the next j are ready before the compare.
        const bool hit_next = i1 == jb;
        const std::uint32_t s_next = hit_next ? si : next;
        j = hit_next ? j + si : j + next;
        next = i2 == jb ? si : after_next;
        si = s_next;
        i = i1;
    }
};

// Same contract as apply(): one chunk or a shorter tail, n <= 512.
void apply_lookahead(Level2Cipher& cipher, std::uint8_t* data, std::size_t n) noexcept;

}  // namespace brisol
