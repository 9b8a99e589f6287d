#include "cipher/level1_vbmi.h"

#include <immintrin.h>

#include <array>

#include "cipher/level1_wide.h"
#include "cipher/level2_lookahead.h"

#define BRISOL_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi")))

// The permute and shift intrinsics start from a deliberately undefined
// register, which GCC 12 reports as uninitialised once they are inlined into
// a function with its own target; the report is about their code, not ours.
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace brisol {
namespace {

constexpr std::size_t kRegistersPerChunk = kChunkSize / 64;
constexpr std::size_t kGroups = kRegistersPerChunk / 2;

struct VbmiRounds {
    __m512i low_nibbles;   // byte 16p+n: S-box row 2p at n
    __m512i high_nibbles;  // byte 16p+n: S-box row 2p+1 at n, shifted up four bits
    __m512i nibble_mask;
    __m512i positions;  // 16p in byte p of every word
    __m512i even_words;
    __m512i odd_words;
    __m512i first_interleave;
    __m512i second_interleave;
    __m512i keys[32];
};

BRISOL_VBMI VbmiRounds vbmi_rounds(const Level1Cipher& cipher) noexcept {
    alignas(64) std::array<std::uint8_t, 64> low{};
    alignas(64) std::array<std::uint8_t, 64> high{};
    for (std::size_t p = 0; p < 4; ++p) {
        for (std::size_t n = 0; n < 16; ++n) {
            low[16 * p + n] = cipher.tables[p][n] & 0x0F;
            high[16 * p + n] = cipher.tables[p][n << 4] & 0xF0;
        }
    }
    alignas(64) std::array<std::uint32_t, 16> even{};
    alignas(64) std::array<std::uint32_t, 16> odd{};
    alignas(64) std::array<std::uint32_t, 16> first{};
    alignas(64) std::array<std::uint32_t, 16> second{};
    for (std::uint32_t x = 0; x < 16; ++x) {
        even[x] = 2 * x;
        odd[x] = 2 * x + 1;
        first[x] = x / 2 + (x % 2) * 16;
        second[x] = 8 + x / 2 + (x % 2) * 16;
    }
    VbmiRounds r{_mm512_load_si512(low.data()),
                 _mm512_load_si512(high.data()),
                 _mm512_set1_epi8(0x0F),
                 _mm512_set1_epi32(0x30201000),
                 _mm512_load_si512(even.data()),
                 _mm512_load_si512(odd.data()),
                 _mm512_load_si512(first.data()),
                 _mm512_load_si512(second.data()),
                 {}};
    for (std::size_t step = 0; step < 32; ++step)
        r.keys[step] = _mm512_set1_epi32(static_cast<int>(cipher.round_keys[step]));
    return r;
}

// (x & 0x0F per byte) | positions, as one ternary-logic instruction.
constexpr int kMaskOr = 0xEA;

BRISOL_VBMI inline __m512i vbmi_round(const VbmiRounds& r, __m512i x) noexcept {
    const __m512i low = _mm512_ternarylogic_epi32(x, r.nibble_mask, r.positions, kMaskOr);
    const __m512i high =
        _mm512_ternarylogic_epi32(_mm512_srli_epi32(x, 4), r.nibble_mask, r.positions, kMaskOr);
    const __m512i s = _mm512_or_si512(_mm512_permutexvar_epi8(low, r.low_nibbles),
                                      _mm512_permutexvar_epi8(high, r.high_nibbles));
    return _mm512_rol_epi32(s, 11);
}

// Decrypts one chunk in place; carry holds the ciphertext block before it in
// its top lane and afterwards the chunk's last ciphertext block. With a
// previous chunk, its RC4 layer runs between the rounds: the RC4 chain is
// serial and leaves most issue slots idle, and the vector rounds fill them.
template <bool kWithPrevious>
BRISOL_VBMI void decrypt_chunk(const VbmiRounds& r, std::uint8_t* chunk, __m512i& carry,
                               std::uint8_t* previous, Rc4Lookahead* walk) noexcept {
    __m512i cipher_text[kRegistersPerChunk];
    for (std::size_t q = 0; q < kRegistersPerChunk; ++q)
        cipher_text[q] = _mm512_loadu_si512(chunk + 64 * q);
    __m512i n1[kGroups];
    __m512i n2[kGroups];
    for (std::size_t g = 0; g < kGroups; ++g) {
        // Feedback is the ciphertext moved up by one block.
        const __m512i before = g == 0 ? carry : cipher_text[2 * g - 1];
        const __m512i a = _mm512_alignr_epi64(cipher_text[2 * g], before, 7);
        const __m512i b = _mm512_alignr_epi64(cipher_text[2 * g + 1], cipher_text[2 * g], 7);
        n1[g] = _mm512_permutex2var_epi32(a, r.even_words, b);
        n2[g] = _mm512_permutex2var_epi32(a, r.odd_words, b);
    }
    constexpr std::size_t kBytesPerPair = kChunkSize / 16;
#pragma GCC unroll 16
    for (std::size_t step = 0; step < 32; step += 2) {
        for (std::size_t g = 0; g < kGroups; ++g)
            n2[g] = _mm512_xor_si512(n2[g], vbmi_round(r, _mm512_add_epi32(n1[g], r.keys[step])));
        for (std::size_t g = 0; g < kGroups; ++g)
            n1[g] = _mm512_xor_si512(n1[g], vbmi_round(r, _mm512_add_epi32(n2[g], r.keys[step + 1])));
        if constexpr (kWithPrevious)
            for (std::size_t k = 0; k < kBytesPerPair; ++k)
                walk->step(previous[step / 2 * kBytesPerPair + k]);
    }
    for (std::size_t g = 0; g < kGroups; ++g) {
        // As in wide_encrypt_block, the gamma's first word is N2.
        const __m512i first = _mm512_permutex2var_epi32(n2[g], r.first_interleave, n1[g]);
        const __m512i second = _mm512_permutex2var_epi32(n2[g], r.second_interleave, n1[g]);
        _mm512_storeu_si512(chunk + 128 * g, _mm512_xor_si512(cipher_text[2 * g], first));
        _mm512_storeu_si512(chunk + 128 * g + 64, _mm512_xor_si512(cipher_text[2 * g + 1], second));
    }
    carry = cipher_text[kRegistersPerChunk - 1];
}

BRISOL_VBMI __m512i carry_from(const FeedbackRegister& reg) noexcept {
    return _mm512_set1_epi64(static_cast<long long>(std::uint64_t{reg.n2} << 32 | reg.n1));
}

BRISOL_VBMI FeedbackRegister register_from(__m512i carry) noexcept {
    alignas(64) std::array<std::uint32_t, 16> words{};
    _mm512_store_si512(words.data(), carry);
    return {words[14], words[15]};
}

}  // namespace

bool cpu_has_vbmi() noexcept {
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi");
}

BRISOL_VBMI void vbmi_decrypt_blocks(Level1Cipher& cipher, std::uint8_t* data,
                                     std::size_t blocks) noexcept {
    const std::size_t chunks = blocks / kBlocksPerChunk;
    if (chunks > 0) {
        VbmiRounds r = vbmi_rounds(cipher);
        __m512i carry = carry_from(cipher.reg);
        for (std::size_t c = 0; c < chunks; ++c)
            decrypt_chunk<false>(r, data + c * kChunkSize, carry, nullptr, nullptr);
        cipher.reg = register_from(carry);
        secure_wipe(r.keys, sizeof r.keys);
    }
    wide_decrypt_blocks(cipher, data + chunks * kChunkSize, blocks - chunks * kBlocksPerChunk);
}

BRISOL_VBMI void vbmi_decrypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                                     std::size_t chunks) noexcept {
    if (chunks == 0) return;
    VbmiRounds r = vbmi_rounds(level1);
    __m512i carry = carry_from(level1.reg);
    decrypt_chunk<false>(r, data, carry, nullptr, nullptr);
    for (std::size_t c = 1; c < chunks; ++c) {
        Rc4Lookahead walk(level2.s.begin());
        decrypt_chunk<true>(r, data + c * kChunkSize, carry, data + (c - 1) * kChunkSize, &walk);
    }
    apply_lookahead(level2, data + (chunks - 1) * kChunkSize, kChunkSize);
    level1.reg = register_from(carry);
    secure_wipe(r.keys, sizeof r.keys);
}

}  // namespace brisol
