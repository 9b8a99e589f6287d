// The RC4 layer (rc4_layer.h) over many chunks at once, faster and with
// the same output and the same permutation left behind.
//
// What is unusual here:
// - The permutation is copied into 32-bit words for the run and back at its
//   end: byte entries, stored and soon loaded again as indices, ran about a
//   third slower on the CPUs measured. The copy is wiped.
// - j lives in a register whose upper bits stay zero; on x86-64 it grows by
//   an 8-bit add (x86/add_mod_256.h).
// - Eight keystream bytes are gathered into one word and XORed in one go.
// - Look-ups are indexed by secret state and are not constant-time.

#include "rc4_layer.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if BRISOL_X86_KERNELS
#include "add_mod_256.h"
#endif

namespace brisol {
namespace {

using Word = std::uint64_t;  // indices and values in registers, upper bits zero
using WordState = WipedArray<std::uint32_t, 256>;

#if !BRISOL_X86_KERNELS
// a = (a + b) mod 256 where a < 256 and b < 256.
inline void add_mod_256(Word& a, Word b) noexcept { a = (a + b) & 0xFF; }
#endif

// One step of a chunk's walk at index i; returns the keystream byte.
inline Word step(WordState& s, std::size_t i, Word& j) noexcept {
    const Word si = s[i];
    add_mod_256(j, si);
    const Word sj = s[j];
    s[j] = static_cast<std::uint32_t>(si);
    s[i] = static_cast<std::uint32_t>(sj);
    Word t = sj;
    add_mod_256(t, si);
    return s[t];
}

void apply_chunk(WordState& s, std::uint8_t* data, std::size_t n) noexcept {
    Word j = 0;
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8) {
        Word stream = 0;
#pragma GCC unroll 8
        for (std::size_t b = 0; b < 8; ++b) stream |= step(s, (k + b + 1) & 0xFF, j) << (8 * b);
        // The keystream's first byte is the word's lowest, which lies first
        // in memory only on little-endian CPUs.
        if constexpr (std::endian::native == std::endian::big) stream = __builtin_bswap64(stream);
        Word bytes;
        std::memcpy(&bytes, data + k, sizeof bytes);
        bytes ^= stream;
        std::memcpy(data + k, &bytes, sizeof bytes);
    }
    for (; k < n; ++k) data[k] ^= static_cast<std::uint8_t>(step(s, (k + 1) & 0xFF, j));
}

}  // namespace

void apply_chunks_in_words(Rc4Layer& cipher, std::uint8_t* data, std::size_t n) noexcept {
    if (n == 0) return;
    WordState s;
    std::copy(cipher.s.begin(), cipher.s.end(), s.begin());
    for_each_chunk(
        data, n, [&s](std::uint8_t* chunk, std::size_t length) { apply_chunk(s, chunk, length); });
    std::copy(s.begin(), s.end(), cipher.s.begin());
}

}  // namespace brisol
