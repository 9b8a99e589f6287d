#include "cipher/kernels.h"

#include <array>
#include <utility>

#include "cipher/kernel_passes.h"

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
                                   cfb_encrypt_blocks, cfb_decrypt_blocks, apply_chunks};

struct KernelChoice {
    std::array<CipherKernels, 4> supported{};
    std::size_t count = 0;
};

KernelChoice choose() noexcept {
    const std::array<std::pair<const CipherKernels*, bool>, 4> all = {{
        {&kReference, true},
        {&kWideTablesKernels, true},
        {&kAvx2Kernels, cpu_has_avx2()},
        {&kVbmiKernels, cpu_has_vbmi()},
    }};
    KernelChoice c;
    for (const auto& [kernels, usable] : all)
        if (usable) c.supported[c.count++] = *kernels;
    return c;
}

}  // namespace

std::span<const CipherKernels> supported_kernels() noexcept {
    static const KernelChoice chosen = choose();
    return {chosen.supported.data(), chosen.count};
}

const CipherKernels& selected_kernels() noexcept {
    return supported_kernels().back();
}

}  // namespace brisol
