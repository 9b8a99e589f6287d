#include "cipher/level1_cipher.h"

#include <bit>

namespace brisol {
namespace {

inline std::uint32_t round_function(const SubstitutionTables& t, std::uint32_t x) noexcept {
    const std::uint32_t s = std::uint32_t{t[3][x >> 24]} << 24 |
                            std::uint32_t{t[2][(x >> 16) & 0xFF]} << 16 |
                            std::uint32_t{t[1][(x >> 8) & 0xFF]} << 8 | t[0][x & 0xFF];
    return std::rotl(s, 11);
}

}  // namespace

void build_tables(Level1Cipher& cipher, const SBoxSet& sboxes) noexcept {
    for (std::size_t k = 0; k < 4; ++k)
        for (std::size_t x = 0; x < 256; ++x)
            cipher.tables[k][x] =
                static_cast<std::uint8_t>(sboxes[2 * k + 1][x >> 4] << 4 | sboxes[2 * k][x & 15]);
    // Each wide entry substitutes the nibbles its index covers, shifted to
    // their place in the word, then rotates; rotation distributes over XOR.
    const auto substitute = [&sboxes](std::size_t first_row, std::size_t rows, std::size_t x) {
        std::uint32_t s = 0;
        for (std::size_t r = 0; r < rows; ++r)
            s |= std::uint32_t{sboxes[first_row + r][(x >> (4 * r)) & 15]} << (4 * (first_row + r));
        return std::rotl(s, 11);
    };
    for (std::size_t x = 0; x < cipher.wide.low.size(); ++x) {
        cipher.wide.low[x] = substitute(0, 3, x);
        cipher.wide.middle[x] = substitute(3, 3, x);
    }
    for (std::size_t x = 0; x < cipher.wide.high.size(); ++x) cipher.wide.high[x] = substitute(6, 2, x);
}

void set_key(Level1Cipher& cipher, const PasswordKey& key) noexcept {
    for (std::size_t i = 0; i < 8; ++i) {
        const std::uint32_t k = load_le32(&key[4 * i]);
        cipher.round_keys[i] = k;
        cipher.round_keys[8 + i] = k;
        cipher.round_keys[16 + i] = k;
        cipher.round_keys[31 - i] = k;
    }
}

BlockWords encrypt_block(const Level1Cipher& cipher, std::uint32_t n1, std::uint32_t n2) noexcept {
    const SubstitutionTables& t = cipher.tables;
    const RoundKeys& k = cipher.round_keys;
    for (std::size_t step = 0; step < 31; ++step) {
        const std::uint32_t next = n2 ^ round_function(t, n1 + k[step]);
        n2 = n1;
        n1 = next;
    }
    n2 ^= round_function(t, n1 + k[31]);
    return {n1, n2};
}

void cfb_encrypt(Level1Cipher& cipher, std::uint8_t* block) noexcept {
    const BlockWords gamma = encrypt_block(cipher, cipher.reg.n1, cipher.reg.n2);
    cipher.reg.n1 = load_le32(block) ^ gamma.word0;
    cipher.reg.n2 = load_le32(block + 4) ^ gamma.word1;
    store_le32(block, cipher.reg.n1);
    store_le32(block + 4, cipher.reg.n2);
}

void cfb_decrypt(Level1Cipher& cipher, std::uint8_t* block) noexcept {
    const BlockWords gamma = encrypt_block(cipher, cipher.reg.n1, cipher.reg.n2);
    cipher.reg.n1 = load_le32(block);
    cipher.reg.n2 = load_le32(block + 4);
    store_le32(block, cipher.reg.n1 ^ gamma.word0);
    store_le32(block + 4, cipher.reg.n2 ^ gamma.word1);
}

void cfb_encrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept {
    for (std::size_t b = 0; b < blocks; ++b) cfb_encrypt(cipher, data + b * kBlockSize);
}

void cfb_decrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept {
    for (std::size_t b = 0; b < blocks; ++b) cfb_decrypt(cipher, data + b * kBlockSize);
}

}  // namespace brisol
