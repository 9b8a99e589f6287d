#include "gost_layer.h"

#include <bit>

#include "cfb_chain.h"

namespace brisol {
namespace {

std::uint32_t reference_round(std::uint32_t word, std::uint32_t x) noexcept {
    const SubstitutionTables& t = kSubstitutionTables;
    const std::uint32_t s = std::uint32_t{t[3][x >> 24]} << 24 |
                            std::uint32_t{t[2][(x >> 16) & 0xFF]} << 16 |
                            std::uint32_t{t[1][(x >> 8) & 0xFF]} << 8 | t[0][x & 0xFF];
    return word ^ std::rotl(s, 11);
}

}  // namespace

GostLayer::GostLayer(const PasswordKey& key) noexcept { set_key(*this, key); }

void set_key(GostLayer& cipher, const PasswordKey& key) noexcept {
    for (std::size_t i = 0; i < 8; ++i) {
        const std::uint32_t k = load_le32(&key[4 * i]);
        cipher.round_keys[i] = k;
        cipher.round_keys[8 + i] = k;
        cipher.round_keys[16 + i] = k;
        cipher.round_keys[31 - i] = k;
    }
}

BlockWords encrypt_block(const GostLayer& cipher, std::uint32_t n1, std::uint32_t n2) noexcept {
    std::uint32_t word0[1] = {n1};
    std::uint32_t word1[1] = {n2};
    basic_transform<reference_round>(word0, word1, cipher.round_keys);
    return {word0[0], word1[0]};
}

void cfb_encrypt(GostLayer& cipher, std::uint8_t* block) noexcept {
    cfb_encrypt_blocks(cipher, block, 1);
}

void cfb_decrypt(GostLayer& cipher, std::uint8_t* block) noexcept {
    cfb_decrypt_blocks(cipher, block, 1);
}

void cfb_encrypt_blocks(GostLayer& cipher, std::uint8_t* data, std::size_t blocks) noexcept {
    cfb_encrypt_chain<reference_round>(cipher, data, blocks);
}

void cfb_decrypt_blocks(GostLayer& cipher, std::uint8_t* data, std::size_t blocks) noexcept {
    cfb_decrypt_groups<ScalarLanes<1, reference_round>>(cipher, data, blocks);
}

}  // namespace brisol
