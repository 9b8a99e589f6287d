// Kernel, AVX-512 VBMI: Decrypt's GOST layer on 64 blocks (one chunk) at
// once; Crypt by the BMI1 round.
//
// What is unusual here:
// - Sixteen blocks share a pair of word registers (all N1 words, all N2
//   words); four such pairs are in flight together.
// - Each S-box layer is two byte permutes (vpermb) over 64-entry tables
//   indexed by nibble + 16 * byte position, one for the low nibbles and one
//   for the high; the rotation is vprold.
// - Only callable when the CPU reports AVX-512 F, BW and VBMI and BMI1
//   (kernels.cpp checks before choosing it).
// - The permutes are constant-time, but key material still meets the scalar
//   table look-ups of the blocks that do not fill a chunk.

#include <immintrin.h>

#include "fast_kernel_rows.h"
#include "gost_tables.h"
#include "nibble_tables.h"
#include "target_region.h"

// The permute and shift intrinsics start from a deliberately undefined
// register, which GCC 12 reports as uninitialised once they are inlined into
// a function with its own target; the report is about their code, not ours.
#ifndef __clang__
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

BRISOL_TARGET_BEGIN("avx512f,avx512bw,avx512vbmi,bmi")
#include "kernel_row_template.h"
#include "bmi_round.h"

namespace brisol {
namespace {

using Words = std::uint32_t __attribute__((vector_size(64)));

struct VbmiLanes {
    using Blocks = __m512i;  // eight blocks
    using Word = Words;      // one word of sixteen blocks
    static constexpr std::size_t kRegisters = kChunkSize / sizeof(Blocks);
    static constexpr std::size_t kWordPairs = kRegisters / 2;
    static constexpr bool kUnrolled = true;
    static constexpr auto crypt_round = bmi_round;

    static Blocks load(const std::uint8_t* p) noexcept { return _mm512_loadu_si512(p); }
    static void store(std::uint8_t* p, Blocks v) noexcept { _mm512_storeu_si512(p, v); }
    static Blocks broadcast(std::uint64_t block) noexcept {
        return _mm512_set1_epi64(static_cast<long long>(block));
    }
    static std::uint64_t last_block(Blocks v) noexcept {
        return static_cast<std::uint64_t>(_mm_extract_epi64(_mm512_extracti32x4_epi32(v, 3), 1));
    }
    static Blocks follow(Blocks before, Blocks v) noexcept {
        return _mm512_alignr_epi64(v, before, 7);
    }
    // Word 0 of block k of a register pair lands in lane k of n1, word 1 in n2.
    static void split(const Blocks (&f)[kRegisters], Word (&n1)[kWordPairs],
                      Word (&n2)[kWordPairs]) noexcept {
        const __m512i even =
            _mm512_set_epi32(30, 28, 26, 24, 22, 20, 18, 16, 14, 12, 10, 8, 6, 4, 2, 0);
        const __m512i odd =
            _mm512_set_epi32(31, 29, 27, 25, 23, 21, 19, 17, 15, 13, 11, 9, 7, 5, 3, 1);
        for (std::size_t g = 0; g < kWordPairs; ++g) {
            n1[g] = Word(_mm512_permutex2var_epi32(f[2 * g], even, f[2 * g + 1]));
            n2[g] = Word(_mm512_permutex2var_epi32(f[2 * g], odd, f[2 * g + 1]));
        }
    }
    static void join(const Word (&n1)[kWordPairs], const Word (&n2)[kWordPairs],
                     Blocks (&f)[kRegisters]) noexcept {
        const __m512i first =
            _mm512_set_epi32(23, 7, 22, 6, 21, 5, 20, 4, 19, 3, 18, 2, 17, 1, 16, 0);
        const __m512i second =
            _mm512_set_epi32(31, 15, 30, 14, 29, 13, 28, 12, 27, 11, 26, 10, 25, 9, 24, 8);
        for (std::size_t g = 0; g < kWordPairs; ++g) {
            f[2 * g] = _mm512_permutex2var_epi32(__m512i(n1[g]), first, __m512i(n2[g]));
            f[2 * g + 1] = _mm512_permutex2var_epi32(__m512i(n1[g]), second, __m512i(n2[g]));
        }
    }
    static Word round(Word word, Word x) noexcept {
        // (x & 0x0F per byte) | 16 * byte position, as one ternary-logic instruction.
        constexpr int kMaskOr = 0xEA;
        const __m512i nibble = _mm512_set1_epi8(0x0F);
        const __m512i positions = _mm512_set1_epi32(0x30201000);
        const __m512i low = _mm512_ternarylogic_epi32(__m512i(x), nibble, positions, kMaskOr);
        const __m512i high =
            _mm512_ternarylogic_epi32(_mm512_srli_epi32(__m512i(x), 4), nibble, positions, kMaskOr);
        const __m512i s = _mm512_or_si512(
            _mm512_permutexvar_epi8(low, _mm512_loadu_si512(kNibbleTables.low.data())),
            _mm512_permutexvar_epi8(high, _mm512_loadu_si512(kNibbleTables.high.data())));
        return word ^ Word(_mm512_rol_epi32(s, 11));
    }
};

}  // namespace

const CipherKernels kVbmiKernels = kernel_row<VbmiLanes>("avx512vbmi");

}  // namespace brisol
BRISOL_TARGET_END
