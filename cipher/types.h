#pragma once
// Types shared by both cipher layers, the chunk pipeline and the operations
// built on them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "cipher/secure_memory.h"

namespace brisol {

enum class Direction { Crypt, Decrypt };

// Every layout unit is 512 bytes: full chunks carry both layers, the tail only
// the RC4 layer.
inline constexpr std::size_t kChunkSize = 512;
inline constexpr std::size_t kBlockSize = 8;
inline constexpr std::size_t kBlocksPerChunk = kChunkSize / kBlockSize;

// A password contributes at most this many 8-bit characters to its key block;
// the rest of the 32 bytes is a zero terminator and zero padding.
inline constexpr std::size_t kPasswordMaxChars = 31;
inline constexpr std::size_t kPasswordKeySize = 32;

using PasswordKey = WipedArray<std::uint8_t, kPasswordKeySize>;

// Builds the key block from a password's 8-bit characters: the first 31 of
// them, then zero bytes up to 32. Characters past the 31st are ignored.
PasswordKey make_password_key(std::string_view password_bytes) noexcept;

// The cipher-feedback register of the GOST layer: N1 is block bytes 0..3 and
// N2 bytes 4..7, both little-endian.
struct FeedbackRegister {
    std::uint32_t n1 = 0;
    std::uint32_t n2 = 0;
    friend bool operator==(const FeedbackRegister&, const FeedbackRegister&) = default;
};

// The working buffer of one operation. Its capacity is a whole number of
// chunks so that the pipeline can move many chunks per read and write; the
// contents are wiped when the buffer is released.
class ChunkBuffer {
public:
    static constexpr std::size_t kDefaultChunks = 512;  // 256 KiB per read and write

    explicit ChunkBuffer(std::size_t chunks = kDefaultChunks);
    ~ChunkBuffer();
    ChunkBuffer(const ChunkBuffer&) = delete;
    ChunkBuffer& operator=(const ChunkBuffer&) = delete;

    std::span<std::uint8_t> bytes() noexcept { return {data_.get(), capacity_}; }
    std::size_t capacity() const noexcept { return capacity_; }
    void wipe() noexcept { secure_wipe(data_.get(), capacity_); }

private:
    std::size_t capacity_;
    std::unique_ptr<std::uint8_t[]> data_;
};

inline std::uint32_t load_le32(const std::uint8_t* p) noexcept {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

inline void store_le32(std::uint8_t* p, std::uint32_t v) noexcept {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

}  // namespace brisol
