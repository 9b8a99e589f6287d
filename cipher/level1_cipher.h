#pragma once
// Level-1, the GOST layer: GOST 28147-89 in 64-bit cipher feedback (the standard's
// "gamma with feedback"), keyed by the PASSWORD-1 key block. This is the
// reference code the fast kernels (kernels.h) are tested against.
//
// What is unusual here:
// - The S-boxes are the fixed test set of GOST R 34.11-94 (gost_sboxes.h),
//   merged pairwise into four byte tables T0..T3 so a round costs four look-ups;
//   the tables are constants (level1_tables.h), so a cipher needs only its key.
// - Words are little-endian; the first four block bytes are N1.
// - The feedback register chains across all full chunks of an operation.
// - Table look-ups are indexed by secret-dependent data and are therefore not
//   constant-time; cache timing can leak key material to a local observer.

#include <cstddef>
#include <cstdint>
#include <span>

#include "cipher/byte_order.h"
#include "cipher/layout.h"
#include "cipher/level1_tables.h"
#include "cipher/password_key.h"
#include "cipher/secure_memory.h"

namespace brisol {

// The cipher-feedback register: N1 is block bytes 0..3 and N2 bytes 4..7.
// It chains through the full chunks of a file and is all of the GOST layer's
// state that one file leaves for the operation after it.
struct FeedbackRegister {
    std::uint32_t n1 = 0;
    std::uint32_t n2 = 0;
    // The register that holds this block, as the feedback leaves it after
    // the block has gone through.
    static FeedbackRegister from_block(std::span<const std::uint8_t, kBlockSize> block) noexcept {
        return {load_le32(block.data()), load_le32(block.data() + kBlockSize / 2)};
    }
    friend bool operator==(const FeedbackRegister&, const FeedbackRegister&) = default;
};

// K0..K7 three times, then K7..K0.
using RoundKeys = WipedArray<std::uint32_t, 32>;

struct Level1Cipher {
    explicit Level1Cipher(const PasswordKey& key) noexcept;

    RoundKeys round_keys;
    FeedbackRegister reg;
};

struct BlockWords {
    std::uint32_t word0;
    std::uint32_t word1;
    friend bool operator==(const BlockWords&, const BlockWords&) = default;
};

void set_key(Level1Cipher& cipher, const PasswordKey& key) noexcept;

// The 32-step basic transform of one block whose first word is n1.
BlockWords encrypt_block(const Level1Cipher& cipher, std::uint32_t n1, std::uint32_t n2) noexcept;

// One 8-byte block in place; the register advances to the ciphertext.
void cfb_encrypt(Level1Cipher& cipher, std::uint8_t* block) noexcept;
void cfb_decrypt(Level1Cipher& cipher, std::uint8_t* block) noexcept;

// Consecutive blocks in place, equal to calling the single-block form on each.
void cfb_encrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept;
void cfb_decrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept;

}  // namespace brisol
