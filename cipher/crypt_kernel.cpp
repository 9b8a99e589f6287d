// Crypt kernel, wide tables, for any x86-64 (crypt_kernel.h).

#include "cipher/crypt_kernel.h"

#include "cipher/kernel_passes.h"

namespace brisol {

void wide_encrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept {
    encrypt_blocks_with<wide_round>(cipher, data, blocks);
}

void wide_crypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                       std::size_t chunks) noexcept {
    crypt_chunks_with<wide_round>(level1, level2, data, chunks);
}

}  // namespace brisol
