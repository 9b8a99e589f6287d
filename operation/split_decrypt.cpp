#include "operation/split_decrypt.h"

namespace brisol {
namespace {

void rc4_only_decrypt(Level1Cipher&, Level2Cipher& level2, std::uint8_t* data, std::size_t chunks) {
    const auto apply_layer = selected_kernels().level2_apply;
    for (std::size_t k = 0; k < chunks; ++k) apply_layer(level2, data + k * kChunkSize, kChunkSize);
}

CipherKernels with_rc4_only_decrypt(CipherKernels kernels) noexcept {
    kernels.decrypt_chunks = rc4_only_decrypt;
    return kernels;
}

}  // namespace

const CipherKernels& rc4_only_decrypt_kernels() noexcept {
    static const CipherKernels kernels = with_rc4_only_decrypt(selected_kernels());
    return kernels;
}

void decrypt_gost_layer(Level1Cipher& level1, std::span<std::uint8_t> data) noexcept {
    const std::size_t chunks = data.size() / kChunkSize;
    selected_kernels().level1_decrypt(level1, data.data(), chunks * kBlocksPerChunk);
}

}  // namespace brisol
