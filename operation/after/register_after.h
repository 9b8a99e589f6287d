#pragma once
// Files written by a program that keeps the GOST feedback register from one
// operation to the next within a run: its second and later operations start
// where the one before left the register, at the last ciphertext block of
// that operation's last full chunk. For Crypt and Decrypt alike that block is
// in the encrypted file, so it is read from there. An operation without a full
// chunk left the register as it was, so such a file cannot tell it.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "cipher/byte_order.h"
#include "cipher/layout.h"
#include "cipher/level1_cipher.h"
#include "operation/files/output_file_system.h"

namespace brisol {

struct RegisterAfterResult {
    FeedbackRegister reg;
    std::string message;  // for the user; empty when reg holds the register
};

// Where in an encrypted file of this size the block lies that the register
// held after the operation on it; nothing for a file without a full chunk.
inline std::optional<std::uint64_t> register_block_offset(std::uint64_t size) noexcept {
    const std::uint64_t full_chunks = size / kChunkSize;
    if (full_chunks == 0) return std::nullopt;
    return full_chunks * kChunkSize - kBlockSize;
}

// The register that block holds.
inline FeedbackRegister register_from_block(std::span<const std::uint8_t, kBlockSize> block) noexcept {
    return {load_le32(block.data()), load_le32(block.data() + 4)};
}

// The register as it stood after an operation on the encrypted file at
// previous_path.
RegisterAfterResult register_after(const std::string& previous_path,
                                   FileSystem& files = system_file_system());

}  // namespace brisol
