#pragma once
// Buffers handed in order from the thread that fills them to the thread that
// empties them, so that file reads and writes run beside the cipher. Each
// buffer belongs to one side at a time; the lock is taken once per buffer,
// never per byte. The memory is wiped when the ring goes, as it holds the
// plain text of a file.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "chunk_buffer.h"

namespace brisol {

class BufferRing {
public:
    struct Buffer {
        std::span<std::uint8_t> space;
        std::size_t size = 0;  // bytes filled
        int error = 0;         // errno value that ended the stream after these bytes
        bool last = false;     // nothing follows this buffer
    };

    // bytes_each is rounded up to whole chunks.
    BufferRing(std::size_t buffers, std::size_t bytes_each);

    // The filler's next buffer, emptied of what it held; waits while every
    // buffer is full. Null once the ring is stopped.
    Buffer* next_to_fill();
    // Hands the buffer from next_to_fill() to the other side.
    void filled();

    // The oldest filled buffer; waits while there is none. Null once the ring
    // is stopped.
    Buffer* next_to_empty();
    // Gives the buffer from next_to_empty() back to the filler.
    void emptied();

    // Wakes both sides; from now on both get null.
    void stop();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    ChunkBuffer memory_;
    std::vector<Buffer> buffers_;
    std::size_t fill_at_ = 0;   // counts buffers filled so far
    std::size_t empty_at_ = 0;  // counts buffers emptied so far
    bool stopped_ = false;
};

}  // namespace brisol
