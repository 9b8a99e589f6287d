#include "operation/split_layers.h"

namespace brisol {
namespace {

void gost_only_encrypt(Level1Cipher& level1, Level2Cipher&, std::uint8_t* data,
                       std::size_t chunks) {
    selected_kernels().level1_encrypt(level1, data, chunks * kBlocksPerChunk);
}

void rc4_only_decrypt(Level1Cipher&, Level2Cipher& level2, std::uint8_t* data, std::size_t chunks) {
    selected_kernels().level2_apply(level2, data, chunks * kChunkSize);
}

// The tail's RC4 layer went with the rest of Crypt's first layer.
void tail_done(Level2Cipher&, std::uint8_t*, std::size_t) {}

CipherKernels second_layer_of(Direction direction) noexcept {
    CipherKernels kernels = selected_kernels();
    if (direction == Direction::Crypt) {
        kernels.crypt_chunks = gost_only_encrypt;
        kernels.level2_apply = tail_done;
    } else {
        kernels.decrypt_chunks = rc4_only_decrypt;
    }
    return kernels;
}

}  // namespace

void first_layer(Direction direction, Level1Cipher& level1, Level2Cipher& level2,
                 std::span<std::uint8_t> data) noexcept {
    if (direction == Direction::Crypt) {
        selected_kernels().level2_apply(level2, data.data(), data.size());
    } else {
        const std::size_t chunks = data.size() / kChunkSize;
        selected_kernels().level1_decrypt(level1, data.data(), chunks * kBlocksPerChunk);
    }
}

const CipherKernels& second_layer_kernels(Direction direction) noexcept {
    static const CipherKernels crypt = second_layer_of(Direction::Crypt);
    static const CipherKernels decrypt = second_layer_of(Direction::Decrypt);
    return direction == Direction::Crypt ? crypt : decrypt;
}

}  // namespace brisol
