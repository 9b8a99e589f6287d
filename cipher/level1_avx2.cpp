#include "cipher/level1_avx2.h"

#include <immintrin.h>

#include "cipher/level1_wide.h"
#include "cipher/level2_lookahead.h"

#define BRISOL_AVX2 __attribute__((target("avx2")))

namespace brisol {
namespace {

constexpr std::size_t kGroups = 4;                                // register pairs in flight
constexpr std::size_t kStrideBytes = kGroups * 8 * kBlockSize;  // 32 blocks
constexpr std::size_t kStridesPerChunk = kChunkSize / kStrideBytes;

struct Avx2Rounds {
    __m256i low_rows[4];   // S-box row 2p in both 16-byte halves
    __m256i high_rows[4];  // row 2p+1, shifted up four bits
    __m256i byte_masks[4];
    __m256i nibble_mask;
    __m256i keys[32];
};

BRISOL_AVX2 Avx2Rounds avx2_rounds(const Level1Cipher& cipher) noexcept {
    Avx2Rounds r{};
    for (std::size_t p = 0; p < 4; ++p) {
        alignas(32) std::uint8_t low[32];
        alignas(32) std::uint8_t high[32];
        for (std::size_t n = 0; n < 32; ++n) {
            low[n] = cipher.tables[p][n % 16] & 0x0F;
            high[n] = cipher.tables[p][(n % 16) << 4] & 0xF0;
        }
        r.low_rows[p] = _mm256_load_si256(reinterpret_cast<const __m256i*>(low));
        r.high_rows[p] = _mm256_load_si256(reinterpret_cast<const __m256i*>(high));
        r.byte_masks[p] = _mm256_set1_epi32(static_cast<int>(0xFFu << (8 * p)));
    }
    r.nibble_mask = _mm256_set1_epi8(0x0F);
    for (std::size_t step = 0; step < 32; ++step)
        r.keys[step] = _mm256_set1_epi32(static_cast<int>(cipher.round_keys[step]));
    return r;
}

BRISOL_AVX2 inline __m256i avx2_round(const Avx2Rounds& r, __m256i x) noexcept {
    const __m256i low = _mm256_and_si256(x, r.nibble_mask);
    const __m256i high = _mm256_and_si256(_mm256_srli_epi32(x, 4), r.nibble_mask);
    __m256i s = _mm256_setzero_si256();
    for (std::size_t p = 0; p < 4; ++p) {
        const __m256i both = _mm256_or_si256(_mm256_shuffle_epi8(r.low_rows[p], low),
                                             _mm256_shuffle_epi8(r.high_rows[p], high));
        s = _mm256_or_si256(s, _mm256_and_si256(both, r.byte_masks[p]));
    }
    return _mm256_or_si256(_mm256_slli_epi32(s, 11), _mm256_srli_epi32(s, 21));
}

// Decrypts 32 blocks in place; carry holds the ciphertext block before them
// in its low lane and afterwards their last ciphertext block.
BRISOL_AVX2 void decrypt_stride(const Avx2Rounds& r, std::uint8_t* data, __m256i& carry) noexcept {
    __m256i cipher_text[2 * kGroups];
    for (std::size_t q = 0; q < 2 * kGroups; ++q)
        cipher_text[q] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + 32 * q));
    __m256i n1[kGroups];
    __m256i n2[kGroups];
    for (std::size_t g = 0; g < kGroups; ++g) {
        // Feedback is the ciphertext moved up by one block: rotate the four
        // blocks of a register up and put the block before them in lane 0.
        const __m256i a = cipher_text[2 * g];
        const __m256i b = cipher_text[2 * g + 1];
        const __m256i before = g == 0 ? carry : cipher_text[2 * g - 1];
        const __m256i fa = _mm256_blend_epi32(_mm256_permute4x64_epi64(a, 0x93),
                                              _mm256_permute4x64_epi64(before, 0xFF), 0x03);
        const __m256i fb = _mm256_blend_epi32(_mm256_permute4x64_epi64(b, 0x93),
                                              _mm256_permute4x64_epi64(a, 0xFF), 0x03);
        n1[g] = _mm256_castps_si256(
            _mm256_shuffle_ps(_mm256_castsi256_ps(fa), _mm256_castsi256_ps(fb), 0x88));
        n2[g] = _mm256_castps_si256(
            _mm256_shuffle_ps(_mm256_castsi256_ps(fa), _mm256_castsi256_ps(fb), 0xDD));
    }
    for (std::size_t step = 0; step < 32; step += 2) {
        for (std::size_t g = 0; g < kGroups; ++g)
            n2[g] = _mm256_xor_si256(n2[g], avx2_round(r, _mm256_add_epi32(n1[g], r.keys[step])));
        for (std::size_t g = 0; g < kGroups; ++g)
            n1[g] = _mm256_xor_si256(n1[g], avx2_round(r, _mm256_add_epi32(n2[g], r.keys[step + 1])));
    }
    for (std::size_t g = 0; g < kGroups; ++g) {
        // The shuffle above paired block k's words in lane k of each half;
        // unpacking restores block order. The gamma's first word is N2.
        const __m256i first = _mm256_unpacklo_epi32(n2[g], n1[g]);
        const __m256i second = _mm256_unpackhi_epi32(n2[g], n1[g]);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(data + 64 * g),
                            _mm256_xor_si256(cipher_text[2 * g], first));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(data + 64 * g + 32),
                            _mm256_xor_si256(cipher_text[2 * g + 1], second));
    }
    carry = cipher_text[2 * kGroups - 1];
}

BRISOL_AVX2 __m256i carry_from(const FeedbackRegister& reg) noexcept {
    return _mm256_set1_epi64x(static_cast<long long>(std::uint64_t{reg.n2} << 32 | reg.n1));
}

BRISOL_AVX2 FeedbackRegister register_from(__m256i carry) noexcept {
    alignas(32) std::uint32_t words[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(words), carry);
    return {words[6], words[7]};
}

}  // namespace

bool cpu_has_avx2() noexcept { return __builtin_cpu_supports("avx2"); }

BRISOL_AVX2 void avx2_decrypt_blocks(Level1Cipher& cipher, std::uint8_t* data,
                                     std::size_t blocks) noexcept {
    const std::size_t strides = blocks * kBlockSize / kStrideBytes;
    if (strides > 0) {
        Avx2Rounds r = avx2_rounds(cipher);
        __m256i carry = carry_from(cipher.reg);
        for (std::size_t s = 0; s < strides; ++s) decrypt_stride(r, data + s * kStrideBytes, carry);
        cipher.reg = register_from(carry);
        secure_wipe(r.keys, sizeof r.keys);
    }
    const std::size_t done = strides * kStrideBytes;
    wide_decrypt_blocks(cipher, data + done, blocks - done / kBlockSize);
}

BRISOL_AVX2 void avx2_decrypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                                     std::size_t chunks) noexcept {
    if (chunks == 0) return;
    Avx2Rounds r = avx2_rounds(level1);
    __m256i carry = carry_from(level1.reg);
    for (std::size_t c = 0; c < chunks; ++c) {
        std::uint8_t* chunk = data + c * kChunkSize;
        for (std::size_t s = 0; s < kStridesPerChunk; ++s)
            decrypt_stride(r, chunk + s * kStrideBytes, carry);
        apply_lookahead(level2, chunk, kChunkSize);
    }
    level1.reg = register_from(carry);
    secure_wipe(r.keys, sizeof r.keys);
}

}  // namespace brisol
