#include "cipher/kernels.h"

#include <array>
#include <utility>

#include "cipher/kernel_passes.h"
#include "cipher/level2_lookahead.h"

namespace brisol {
namespace {

void reference_crypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                            std::size_t chunks) {
    for (std::size_t c = 0; c < chunks; ++c) {
        apply(level2, data + c * kChunkSize, kChunkSize);
        cfb_encrypt_blocks(level1, data + c * kChunkSize, kBlocksPerChunk);
    }
}

void reference_decrypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                              std::size_t chunks) {
    for (std::size_t c = 0; c < chunks; ++c) {
        cfb_decrypt_blocks(level1, data + c * kChunkSize, kBlocksPerChunk);
        apply(level2, data + c * kChunkSize, kChunkSize);
    }
}

constexpr CipherKernels kReference{"reference", reference_crypt_chunks, reference_decrypt_chunks,
                                   cfb_encrypt_blocks, cfb_decrypt_blocks, apply};
constexpr CipherKernels kWideTables{"wide_tables", wide_crypt_chunks, wide_decrypt_chunks,
                                    wide_encrypt_blocks, wide_decrypt_blocks, apply_lookahead};
constexpr CipherKernels kAvx2{"avx2", wide_crypt_chunks, avx2_decrypt_chunks,
                              wide_encrypt_blocks, avx2_decrypt_blocks, apply_lookahead};
constexpr CipherKernels kVbmi{"avx512vbmi", wide_crypt_chunks, vbmi_decrypt_chunks,
                              wide_encrypt_blocks, vbmi_decrypt_blocks, apply_lookahead};

struct KernelChoice {
    std::array<CipherKernels, 4> supported{};
    std::size_t count = 0;
};

KernelChoice choose() noexcept {
    const std::array<std::pair<const CipherKernels*, bool>, 4> all = {{
        {&kReference, true},
        {&kWideTables, true},
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
