#include "cipher/level1_wide.h"

#include <array>

namespace brisol {
namespace {

// Independent blocks in flight in the decrypt loop: enough to cover the
// latency of one round's look-ups.
constexpr std::size_t kDecryptLanes = 8;

std::uint64_t load_block(const std::uint8_t* p) noexcept {
    return std::uint64_t{load_le32(p + 4)} << 32 | load_le32(p);
}

void decrypt_lanes(const WideRounds& w, std::uint64_t previous, std::uint8_t* data) noexcept {
    std::array<std::uint32_t, kDecryptLanes> n1;
    std::array<std::uint32_t, kDecryptLanes> n2;
    for (std::size_t b = 0; b < kDecryptLanes; ++b) {
        const std::uint64_t feedback = b == 0 ? previous : load_block(data + (b - 1) * kBlockSize);
        n1[b] = static_cast<std::uint32_t>(feedback);
        n2[b] = static_cast<std::uint32_t>(feedback >> 32);
    }
    for (std::size_t step = 0; step < 32; step += 2) {
        for (std::size_t b = 0; b < kDecryptLanes; ++b)
            n2[b] = wide_round(w, n2[b], n1[b] + w.keys[step]);
        for (std::size_t b = 0; b < kDecryptLanes; ++b)
            n1[b] = wide_round(w, n1[b], n2[b] + w.keys[step + 1]);
    }
    for (std::size_t b = 0; b < kDecryptLanes; ++b) {
        std::uint8_t* block = data + b * kBlockSize;
        store_le32(block, load_le32(block) ^ n2[b]);
        store_le32(block + 4, load_le32(block + 4) ^ n1[b]);
    }
}

}  // namespace

WideRounds wide_rounds(const Level1Cipher& cipher) noexcept {
    return {cipher.wide.low.data(), cipher.wide.middle.data(), cipher.wide.high.data(),
            cipher.round_keys};
}

void wide_encrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept {
    const WideRounds w = wide_rounds(cipher);
    FeedbackRegister reg = cipher.reg;
    for (std::size_t b = 0; b < blocks; ++b) {
        std::uint8_t* block = data + b * kBlockSize;
        const BlockWords gamma = wide_encrypt_block(w, reg.n1, reg.n2);
        reg.n1 = load_le32(block) ^ gamma.word0;
        reg.n2 = load_le32(block + 4) ^ gamma.word1;
        store_le32(block, reg.n1);
        store_le32(block + 4, reg.n2);
    }
    cipher.reg = reg;
}

void wide_decrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept {
    const WideRounds w = wide_rounds(cipher);
    std::uint64_t previous = std::uint64_t{cipher.reg.n2} << 32 | cipher.reg.n1;
    std::size_t b = 0;
    for (; b + kDecryptLanes <= blocks; b += kDecryptLanes) {
        std::uint8_t* lanes = data + b * kBlockSize;
        const std::uint64_t last = load_block(lanes + (kDecryptLanes - 1) * kBlockSize);
        decrypt_lanes(w, previous, lanes);
        previous = last;
    }
    cipher.reg = {static_cast<std::uint32_t>(previous), static_cast<std::uint32_t>(previous >> 32)};
    cfb_decrypt_blocks(cipher, data + b * kBlockSize, blocks - b);
}

}  // namespace brisol
