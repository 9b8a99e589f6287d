#pragma once
// Single steps of the RC4 layer (level2_cipher.h), so that the Crypt pass can
// slot the next chunk's RC4 work between the rounds of the GOST chain. The
// steps are those of apply(); gathering eight keystream bytes into one word
// saves seven byte stores.
// Look-ups are indexed by secret state and are not constant-time.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "cipher/level2_cipher.h"

namespace brisol {

// One chunk's walk over the permutation: i and j start at zero per chunk.
struct Rc4Walk {
    std::uint8_t* s;
    std::uint32_t i = 0;
    std::uint32_t j = 0;
};

inline std::uint64_t next_keystream_byte(Rc4Walk& w) noexcept {
    w.i = (w.i + 1) & 0xFF;
    const std::uint32_t si = w.s[w.i];
    w.j = (w.j + si) & 0xFF;
    const std::uint32_t sj = w.s[w.j];
    w.s[w.i] = static_cast<std::uint8_t>(sj);
    w.s[w.j] = static_cast<std::uint8_t>(si);
    return w.s[(si + sj) & 0xFF];
}

// XORs a keystream word, first byte lowest, over data[0..8).
inline void xor_keystream_word(std::uint8_t* data, std::uint64_t keystream) noexcept {
    if constexpr (std::endian::native == std::endian::big) keystream = __builtin_bswap64(keystream);
    std::uint64_t word;
    std::memcpy(&word, data, sizeof word);
    word ^= keystream;
    std::memcpy(data, &word, sizeof word);
}

}  // namespace brisol
