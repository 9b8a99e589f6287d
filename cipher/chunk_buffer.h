#pragma once
// The working buffer of one operation. Its capacity is a whole number of
// chunks, so that the pipeline can move many chunks per read and write and a
// full buffer never ends inside a chunk; the contents are wiped when the
// buffer is released.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "layout.h"
#include "secure_memory.h"

namespace brisol {

class ChunkBuffer {
public:
    static constexpr std::size_t kDefaultChunks = 512;  // 256 KiB per read and write

    explicit ChunkBuffer(std::size_t chunks = kDefaultChunks)
        : capacity_(std::max<std::size_t>(chunks, 1) * kChunkSize),
          data_(new std::uint8_t[capacity_]()) {}
    ~ChunkBuffer() { wipe(); }
    ChunkBuffer(const ChunkBuffer&) = delete;
    ChunkBuffer& operator=(const ChunkBuffer&) = delete;

    std::span<std::uint8_t> bytes() noexcept { return {data_.get(), capacity_}; }
    std::size_t capacity() const noexcept { return capacity_; }
    void wipe() noexcept { secure_wipe(data_.get(), capacity_); }

private:
    std::size_t capacity_;
    std::unique_ptr<std::uint8_t[]> data_;
};

}  // namespace brisol
