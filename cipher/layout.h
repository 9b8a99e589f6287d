#pragma once
// The encrypted file's layout units. Every unit is 512 bytes: full chunks
// carry both layers, the tail (the last L mod 512 bytes) only the RC4 layer.

#include <cstddef>

namespace brisol {

enum class Direction { Crypt, Decrypt };

inline constexpr std::size_t kChunkSize = 512;
inline constexpr std::size_t kBlockSize = 8;
inline constexpr std::size_t kBlocksPerChunk = kChunkSize / kBlockSize;

}  // namespace brisol
