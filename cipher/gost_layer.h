#pragma once
// The GOST layer: GOST 28147-89 in 64-bit cipher feedback (the standard's
// "gamma with feedback"), keyed by the PASSWORD-1 key block. This is the
// reference code the fast kernels (kernels.h) are tested against.
//
// What is unusual here:
// - The S-boxes are the fixed test set of GOST R 34.11-94 (gost_sboxes.h),
//   merged pairwise into four byte tables T0..T3 so a round costs four look-ups;
//   the tables are constants (gost_tables.h), so a cipher needs only its key.
// - Words are little-endian; the first four block bytes are N1.
// - The feedback register chains across all full chunks of an operation.
// - Table look-ups are indexed by secret-dependent data and are therefore not
//   constant-time; cache timing can leak key material to a local observer.

#include <cstddef>
#include <cstdint>
#include <span>

#include "byte_order.h"
#include "feedback_register.h"
#include "gost_tables.h"
#include "layout.h"
#include "password_key.h"
#include "secure_memory.h"

namespace brisol {

// K0..K7 three times, then K7..K0.
using RoundKeys = WipedArray<std::uint32_t, 32>;

struct GostLayer {
    explicit GostLayer(const PasswordKey& key) noexcept;

    RoundKeys round_keys;
    FeedbackRegister reg;
};

struct BlockWords {
    std::uint32_t word0;
    std::uint32_t word1;
    friend bool operator==(const BlockWords&, const BlockWords&) = default;
};

void set_key(GostLayer& cipher, const PasswordKey& key) noexcept;

// The 32-step basic transform of one block whose first word is n1.
BlockWords encrypt_block(const GostLayer& cipher, std::uint32_t n1, std::uint32_t n2) noexcept;

// One 8-byte block in place; the register advances to the ciphertext.
void cfb_encrypt(GostLayer& cipher, std::uint8_t* block) noexcept;
void cfb_decrypt(GostLayer& cipher, std::uint8_t* block) noexcept;

// Consecutive blocks in place, equal to calling the single-block form on each.
void cfb_encrypt_blocks(GostLayer& cipher, std::uint8_t* data, std::size_t blocks) noexcept;
void cfb_decrypt_blocks(GostLayer& cipher, std::uint8_t* data, std::size_t blocks) noexcept;

}  // namespace brisol
