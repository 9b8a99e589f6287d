// Crypt kernel, wide tables with BMI1 (crypt_kernel.h), for CPUs that report
// it; every CPU with AVX2 does.
//
// What is unusual here: a round waits for its slowest look-up and then for
// the XORs after it. Without BMI1 the middle index takes a shift and a mask,
// so that load starts a cycle after the other two. The bit-field extract
// makes it one instruction, all three loads start together, and the four
// words then combine as a tree of two XOR levels instead of a chain of three.
// The compiler folds XORs back into a chain unless each partial result is
// pinned, which the empty asm statements do; they emit nothing.

#include <immintrin.h>

#include "cipher/kernel_passes.h"
#include "cipher/level1_tables.h"
#include "cipher/target_region.h"

BRISOL_TARGET_BEGIN("bmi")
#include "cipher/crypt_kernel.h"

namespace brisol {
namespace {

#define BRISOL_PIN(value) __asm__("" : "+r"(value))

inline std::uint32_t bmi_round(std::uint32_t word, std::uint32_t x) noexcept {
    std::uint32_t high = word ^ kWideTables.high[x >> 24];
    BRISOL_PIN(high);
    std::uint32_t low = kWideTables.low[x & 0xFFF];
    BRISOL_PIN(low);
    std::uint32_t middle = kWideTables.middle[_bextr_u64(x, kWideIndexBits, kWideIndexBits)];
    BRISOL_PIN(middle);
    low ^= middle;
    BRISOL_PIN(low);
    return high ^ low;
}

#undef BRISOL_PIN

}  // namespace

void bmi_encrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept {
    encrypt_blocks_with<bmi_round>(cipher, data, blocks);
}

void bmi_crypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                      std::size_t chunks) noexcept {
    crypt_chunks_with<bmi_round>(level1, level2, data, chunks);
}

}  // namespace brisol
BRISOL_TARGET_END

bool brisol::cpu_has_bmi() noexcept { return __builtin_cpu_supports("bmi"); }
