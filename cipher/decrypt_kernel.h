#pragma once
// The Decrypt pass over whole chunks, written once over the block registers
// that each decrypt_kernel_*.cpp supplies: per chunk, GOST feedback (cfb_chain.h)
// and then the RC4 layer. Included, like cfb_chain.h, inside the kernel's
// target region.
//
// A kernel with kFusedRc4 runs each chunk's RC4 layer between the GOST rounds
// of the chunk after it, while both are still in the first-level cache: RC4
// is one serial chain that leaves most issue slots idle, and independent
// vector rounds fill them.

#include <cstddef>
#include <cstdint>

#include "cipher/cfb_chain.h"
#include "cipher/crypt_kernel.h"
#include "cipher/kernel_passes.h"
#include "cipher/level2_lookahead.h"
#include "cipher/level2_words.h"

namespace brisol {
namespace {

// The GOST layer alone: whole groups by K, the rest by the reference code.
template <class K>
inline void decrypt_blocks_with(Level1Cipher& cipher, std::uint8_t* data,
                                std::size_t blocks) noexcept {
    const std::size_t done = cfb_decrypt_groups<K>(cipher, data, blocks);
    cfb_decrypt_blocks(cipher, data + done * kBlockSize, blocks - done);
}

template <class K>
inline void decrypt_chunks_with(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                                std::size_t chunks) noexcept {
    if (chunks == 0) return;
    constexpr std::size_t kGroups = kChunkSize / kGroupBytes<K>;
    constexpr std::size_t kStepsPerPair = kChunkSize / (16 * kGroups);
    const RoundKeys keys = level1.round_keys;  // apart from the bytes the rounds write
    typename K::Blocks carry = K::broadcast(block_of(level1.reg));
    for (std::size_t c = 0; c < chunks; ++c) {
        std::uint8_t* chunk = data + c * kChunkSize;
        if (!K::kFusedRc4 || c == 0) {
            for (std::size_t g = 0; g < kGroups; ++g)
                cfb_decrypt_group<K>(keys, carry, chunk + g * kGroupBytes<K>, NoWork{});
        } else {
            std::uint8_t* previous = chunk - kChunkSize;
            Rc4Lookahead walk(level2.s.begin());
            for (std::size_t g = 0; g < kGroups; ++g)
                cfb_decrypt_group<K>(keys, carry, chunk + g * kGroupBytes<K>, [&](std::size_t pair) {
                    for (std::size_t k = 0; k < kStepsPerPair; ++k)
                        walk.step(previous[(16 * g + pair) * kStepsPerPair + k]);
                });
        }
        if (!K::kFusedRc4) apply_lookahead(level2, chunk, kChunkSize);
    }
    if (K::kFusedRc4) apply_lookahead(level2, data + (chunks - 1) * kChunkSize, kChunkSize);
    level1.reg = register_of(K::last_block(carry));
}

// A Decrypt kernel's row of the dispatch table, with the Crypt kernel over
// K's crypt_round; the RC4 layer alone is the same for every fast kernel.
template <class K>
constexpr CipherKernels decrypt_kernel_row(std::string_view name) noexcept {
    return {name,
            crypt_chunks_with<K::crypt_round>,
            decrypt_chunks_with<K>,
            encrypt_blocks_with<K::crypt_round>,
            decrypt_blocks_with<K>,
            apply_chunks_in_words};
}

}  // namespace
}  // namespace brisol
