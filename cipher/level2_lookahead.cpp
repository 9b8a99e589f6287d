#include "cipher/level2_lookahead.h"

namespace brisol {

void apply_lookahead(Level2Cipher& cipher, std::uint8_t* data, std::size_t n) noexcept {
    if (n == 0) return;
    std::uint8_t* s = cipher.s.begin();
    // At the top of each step: i and j as RC4 has them after advancing,
    // si = S[i], and next = S[i+1] as it stands before this step's swap.
    // j runs on unmasked; only its low byte indexes and compares.
    std::uint8_t i = 1;
    std::uint32_t si = s[1];
    std::uint32_t j = si;
    std::uint32_t next = s[2];
    for (std::size_t k = 0; k < n; ++k) {
        const auto jb = static_cast<std::uint8_t>(j);
        const std::uint32_t sj = s[jb];
        const auto i1 = static_cast<std::uint8_t>(i + 1);
        const auto i2 = static_cast<std::uint8_t>(i + 2);
        const std::uint32_t after_next = s[i2];
        s[i] = static_cast<std::uint8_t>(sj);
        s[jb] = static_cast<std::uint8_t>(si);
        data[k] ^= s[static_cast<std::uint8_t>(si + sj)];
        // The store to S[j] is the only one of this step that can land on
        // i+1 or i+2. Both sums for the next j are ready before the compare.
        const bool hit_next = i1 == jb;
        const std::uint32_t s_next = hit_next ? si : next;
        j = hit_next ? j + si : j + next;
        next = i2 == jb ? si : after_next;
        si = s_next;
        i = i1;
    }
}

}  // namespace brisol
