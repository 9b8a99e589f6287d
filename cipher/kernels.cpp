#include "cipher/kernels.h"

#include <array>
#include <utility>

#include "cipher/level1_avx2.h"
#include "cipher/level1_vbmi.h"
#include "cipher/level1_wide.h"
#include "cipher/level2_lookahead.h"

namespace brisol {
namespace {

void plain_crypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                        std::size_t chunks) {
    for (std::size_t c = 0; c < chunks; ++c) {
        apply(level2, data + c * kChunkSize, kChunkSize);
        cfb_encrypt_blocks(level1, data + c * kChunkSize, kBlocksPerChunk);
    }
}

void plain_decrypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                          std::size_t chunks) {
    for (std::size_t c = 0; c < chunks; ++c) {
        cfb_decrypt_blocks(level1, data + c * kChunkSize, kBlocksPerChunk);
        apply(level2, data + c * kChunkSize, kChunkSize);
    }
}

// GOST feedback over one chunk whose RC4 layer is already applied. With a
// next chunk, each block's 32-round chain also carries the eight RC4 steps of
// the same block of the next chunk: they do not depend on the chain, so they
// run in the issue slots the chain leaves idle.
template <bool kWithNext>
void encrypt_chunk(const WideRounds& w, FeedbackRegister& reg, std::uint8_t* chunk,
                   Rc4Lookahead* walk, std::uint8_t* next_chunk) noexcept {
    std::uint32_t n1 = reg.n1;
    std::uint32_t n2 = reg.n2;
    for (std::size_t b = 0; b < kBlocksPerChunk; ++b) {
        std::uint32_t a = n1;
        std::uint32_t c = n2;
#pragma GCC unroll 8
        for (std::size_t step = 0; step < 32; step += 4) {
            c = wide_round(w, c, a + w.keys[step]);
            a = wide_round(w, a, c + w.keys[step + 1]);
            c = wide_round(w, c, a + w.keys[step + 2]);
            a = wide_round(w, a, c + w.keys[step + 3]);
            // One RC4 byte per four rounds: eight per block.
            if constexpr (kWithNext) walk->step(next_chunk[b * kBlockSize + step / 4]);
        }
        std::uint8_t* block = chunk + b * kBlockSize;
        n1 = load_le32(block) ^ c;
        n2 = load_le32(block + 4) ^ a;
        store_le32(block, n1);
        store_le32(block + 4, n2);
    }
    reg = {n1, n2};
}

void fast_crypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                       std::size_t chunks) {
    if (chunks == 0) return;
    const WideRounds w = wide_rounds(level1);
    apply_lookahead(level2, data, kChunkSize);
    for (std::size_t c = 0; c + 1 < chunks; ++c) {
        Rc4Lookahead walk(level2.s.begin());
        encrypt_chunk<true>(w, level1.reg, data + c * kChunkSize, &walk,
                            data + (c + 1) * kChunkSize);
    }
    encrypt_chunk<false>(w, level1.reg, data + (chunks - 1) * kChunkSize, nullptr, nullptr);
}

void wide_decrypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                         std::size_t chunks) {
    for (std::size_t c = 0; c < chunks; ++c) {
        wide_decrypt_blocks(level1, data + c * kChunkSize, kBlocksPerChunk);
        apply_lookahead(level2, data + c * kChunkSize, kChunkSize);
    }
}

constexpr CipherKernels kStraightforward{"straightforward", plain_crypt_chunks,
                                         plain_decrypt_chunks, cfb_encrypt_blocks,
                                         cfb_decrypt_blocks, apply};
constexpr CipherKernels kScalar{"scalar", fast_crypt_chunks, wide_decrypt_chunks,
                                wide_encrypt_blocks, wide_decrypt_blocks, apply_lookahead};
constexpr CipherKernels kAvx2{"avx2", fast_crypt_chunks, avx2_decrypt_chunks,
                              wide_encrypt_blocks, avx2_decrypt_blocks, apply_lookahead};
constexpr CipherKernels kVbmi{"avx512vbmi", fast_crypt_chunks, vbmi_decrypt_chunks,
                              wide_encrypt_blocks, vbmi_decrypt_blocks, apply_lookahead};

struct KernelChoice {
    std::array<CipherKernels, 4> supported{};
    std::size_t count = 0;
};

KernelChoice choose() noexcept {
    const std::array<std::pair<const CipherKernels*, bool>, 4> all = {{
        {&kStraightforward, true},
        {&kScalar, true},
        {&kAvx2, cpu_has_avx2()},
        {&kVbmi, cpu_has_vbmi()},
    }};
    KernelChoice c;
    for (const auto& [kernels, usable] : all)
        if (usable) c.supported[c.count++] = *kernels;
    return c;
}

const KernelChoice& choice() noexcept {
    static const KernelChoice chosen = choose();
    return chosen;
}

}  // namespace

std::span<const CipherKernels> supported_kernels() noexcept {
    return {choice().supported.data(), choice().count};
}

const CipherKernels& selected_kernels() noexcept {
    return supported_kernels().back();
}

}  // namespace brisol
