#pragma once
// The GOST layer alone and the Decrypt pass over whole chunks, written once
// over the block registers that each decrypt_kernel_*.cpp supplies. Included,
// like cfb_chain.h, inside the kernel's target region.
//
// A kernel with kFusedRc4 runs each chunk's RC4 layer between the GOST rounds
// of the chunk after it, while both are still in the first-level cache: RC4
// is one serial chain that leaves most issue slots idle, and independent
// vector rounds fill them. The others run it after each chunk's GOST layer.

#include <cstddef>
#include <cstdint>

#include "cipher/cfb_chain.h"
#include "cipher/level2_lookahead.h"

namespace brisol {
namespace {

// Whole groups by K, the blocks that do not fill one by the reference code.
template <class K>
inline void decrypt_blocks_with(Level1Cipher& cipher, std::uint8_t* data,
                                std::size_t blocks) noexcept {
    const std::size_t groups = blocks * kBlockSize / kGroupBytes<K>;
    cfb_decrypt_groups<K>(cipher, data, groups);
    const std::size_t done = groups * kGroupBytes<K>;
    cfb_decrypt_blocks(cipher, data + done, blocks - done / kBlockSize);
}

template <class K>
inline void decrypt_chunks_with(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                                std::size_t chunks) noexcept {
    if (chunks == 0) return;
    constexpr std::size_t kGroups = kChunkSize / kGroupBytes<K>;
    constexpr std::size_t kStepsPerPair = kChunkSize / (16 * kGroups);
    Rc4Lookahead walk(level2.s.begin());
    cfb_decrypt_groups<K>(level1, data, chunks * kGroups, [&](std::size_t g, auto decrypt_group) {
        std::uint8_t* chunk = data + g / kGroups * kChunkSize;
        if (!K::kFusedRc4 || chunk == data) {
            decrypt_group(NoWork{});
            if (!K::kFusedRc4 && g % kGroups == kGroups - 1)
                apply_lookahead(level2, chunk, kChunkSize);
            return;
        }
        if (g % kGroups == 0) walk = Rc4Lookahead(level2.s.begin());
        std::uint8_t* first = chunk - kChunkSize + g % kGroups * 16 * kStepsPerPair;
        decrypt_group([&, first](std::size_t pair) {
            for (std::size_t k = 0; k < kStepsPerPair; ++k)
                walk.step(first[pair * kStepsPerPair + k]);
        });
    });
    if (K::kFusedRc4) apply_lookahead(level2, data + (chunks - 1) * kChunkSize, kChunkSize);
}

}  // namespace
}  // namespace brisol
