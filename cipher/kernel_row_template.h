#pragma once
// A fast kernel's row of the dispatch table, written once over the block
// registers each kernel file supplies (its "lanes", see cfb_chain.h): Crypt's
// GOST chain by the lanes' crypt_round (encrypting is one chain whatever the
// CPU, so only the round differs), Decrypt's GOST layer on whole groups of
// blocks at once, and the RC4 layer in 32-bit words, the same for every fast
// kernel. A kernel built for an instruction set includes this
// inside its target region, so the templates compile for those instructions.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cfb_chain.h"
#include "kernels.h"

namespace brisol {
namespace {

// Whole groups by K, the rest by the reference code.
template <class K>
inline void decrypt_blocks_with(GostLayer& cipher, std::uint8_t* data,
                                std::size_t blocks) noexcept {
    const std::size_t done = cfb_decrypt_groups<K>(cipher, data, blocks);
    cfb_decrypt_blocks(cipher, data + done * kBlockSize, blocks - done);
}

template <class K>
constexpr CipherKernels kernel_row(std::string_view name) noexcept {
    return {name, cfb_encrypt_chain<K::crypt_round>, decrypt_blocks_with<K>, apply_chunks_in_words};
}

}  // namespace
}  // namespace brisol
