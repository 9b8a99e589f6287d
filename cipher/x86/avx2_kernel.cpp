// Kernel, AVX2, for CPUs without AVX-512 VBMI: Decrypt's GOST layer on 32
// blocks at once; Crypt by the BMI1 round.
//
// What is unusual here:
// - Eight blocks share a pair of word registers (all N1 words, all N2 words);
//   four such pairs are in flight together.
// - AVX2 has no byte permute over 64 entries, so each of the four byte
//   positions of a word takes two 16-entry shuffles (low and high nibble)
//   with its own S-box rows, masked to its byte; the rotation is two shifts.
// - Only callable when the CPU reports AVX2 and BMI1 (kernels.cpp checks
//   before choosing it).
// - The shuffles are constant-time, but the blocks that do not fill a group
//   go through the scalar table look-ups.

#include <immintrin.h>

#include "fast_kernel_rows.h"
#include "gost_tables.h"
#include "nibble_tables.h"
#include "target_region.h"

BRISOL_TARGET_BEGIN("avx2,bmi")
#include "kernel_row_template.h"
#include "bmi_round.h"

namespace brisol {
namespace {

using Words = std::uint32_t __attribute__((vector_size(32)));

__m256i nibble_row(const std::array<std::uint8_t, 64>& rows, std::size_t p) noexcept {
    return _mm256_broadcastsi128_si256(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows.data() + 16 * p)));
}

struct Avx2Lanes {
    using Blocks = __m256i;  // four blocks
    using Word = Words;      // one word of eight blocks
    static constexpr std::size_t kRegisters = 8;
    static constexpr std::size_t kWordPairs = kRegisters / 2;
    static constexpr bool kUnrolled = false;
    static constexpr auto crypt_round = bmi_round;

    static Blocks load(const std::uint8_t* p) noexcept {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    }
    static void store(std::uint8_t* p, Blocks v) noexcept {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
    }
    static Blocks broadcast(std::uint64_t block) noexcept {
        return _mm256_set1_epi64x(static_cast<long long>(block));
    }
    static std::uint64_t last_block(Blocks v) noexcept {
        return static_cast<std::uint64_t>(_mm256_extract_epi64(v, 3));
    }
    static Blocks follow(Blocks before, Blocks v) noexcept {
        return _mm256_blend_epi32(_mm256_permute4x64_epi64(v, 0x93),
                                  _mm256_permute4x64_epi64(before, 0xFF), 0x03);
    }
    // Block k of a register pair: its words land in lane k of each 128-bit
    // half, which unpacking in join puts back in block order.
    static void split(const Blocks (&f)[kRegisters], Word (&n1)[kWordPairs],
                      Word (&n2)[kWordPairs]) noexcept {
        for (std::size_t g = 0; g < kWordPairs; ++g) {
            const __m256 a = _mm256_castsi256_ps(f[2 * g]);
            const __m256 b = _mm256_castsi256_ps(f[2 * g + 1]);
            n1[g] = Word(_mm256_castps_si256(_mm256_shuffle_ps(a, b, 0x88)));
            n2[g] = Word(_mm256_castps_si256(_mm256_shuffle_ps(a, b, 0xDD)));
        }
    }
    static void join(const Word (&n1)[kWordPairs], const Word (&n2)[kWordPairs],
                     Blocks (&f)[kRegisters]) noexcept {
        for (std::size_t g = 0; g < kWordPairs; ++g) {
            f[2 * g] = _mm256_unpacklo_epi32(__m256i(n1[g]), __m256i(n2[g]));
            f[2 * g + 1] = _mm256_unpackhi_epi32(__m256i(n1[g]), __m256i(n2[g]));
        }
    }
    static Word round(Word word, Word x) noexcept {
        const __m256i nibble = _mm256_set1_epi8(0x0F);
        const __m256i low = _mm256_and_si256(__m256i(x), nibble);
        const __m256i high = _mm256_and_si256(_mm256_srli_epi32(__m256i(x), 4), nibble);
        __m256i s = _mm256_setzero_si256();
#pragma GCC unroll 4
        for (std::size_t p = 0; p < 4; ++p) {
            const __m256i both =
                _mm256_or_si256(_mm256_shuffle_epi8(nibble_row(kNibbleTables.low, p), low),
                                _mm256_shuffle_epi8(nibble_row(kNibbleTables.high, p), high));
            s = _mm256_or_si256(
                s, _mm256_and_si256(both, _mm256_set1_epi32(static_cast<int>(0xFFu << (8 * p)))));
        }
        return word ^ Word(_mm256_or_si256(_mm256_slli_epi32(s, 11), _mm256_srli_epi32(s, 21)));
    }
};

}  // namespace

const CipherKernels kAvx2Kernels = kernel_row<Avx2Lanes>("avx2");

}  // namespace brisol
BRISOL_TARGET_END
