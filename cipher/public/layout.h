#pragma once
// The encrypted file's layout units. Every unit is 512 bytes: full chunks
// carry both layers, the tail (the last L mod 512 bytes) only the RC4 layer.

#include <cstddef>
#include <cstdint>
#include <optional>

namespace brisol {

enum class Direction { Crypt, Decrypt };

inline constexpr std::size_t kChunkSize = 512;
inline constexpr std::size_t kBlockSize = 8;
inline constexpr std::size_t kBlocksPerChunk = kChunkSize / kBlockSize;

// Where the last block of the last full chunk lies in a file of this size,
// the block the GOST feedback holds once the file is done; nothing for a file
// that is all tail, which leaves the feedback as it was.
constexpr std::optional<std::uint64_t> last_feedback_block_offset(std::uint64_t size) noexcept {
    const std::uint64_t full_chunks = size / kChunkSize;
    if (full_chunks == 0) return std::nullopt;
    return full_chunks * kChunkSize - kBlockSize;
}

}  // namespace brisol
