#pragma once
// A source that reads the next buffers on a thread of its own while the
// caller works on the current one. It asks the source it wraps for exactly
// what the caller would have asked for, in the same order, and hands on the
// bytes, a read error or the end in that order. If no thread can be started,
// the caller's own reads fill the buffers.
//
// A buffer can be worked on where it was read, before it is handed on: the
// reading thread calls `prepare` on the bytes of each buffer, in order, each
// buffer starting where the last one ended.

#include <cstddef>
#include <functional>
#include <thread>

#include "byte_stream.h"
#include "buffer_ring.h"

namespace brisol {

class ReadAheadSource final : public ByteSource {
public:
    using Prepare = std::function<void(std::span<std::uint8_t>)>;

    ReadAheadSource(ByteSource& inner, std::size_t buffer_bytes, Prepare prepare = {},
                    std::size_t buffers = 2);
    ~ReadAheadSource() override;  // stops reading ahead and joins the reader
    ReadAheadSource(const ReadAheadSource&) = delete;
    ReadAheadSource& operator=(const ReadAheadSource&) = delete;

    IoStatus read(std::span<std::uint8_t> into) override;

private:
    // Reads the next buffer full, or up to the end, and prepares it; true
    // when nothing follows it.
    bool fill_next();

    ByteSource& inner_;
    Prepare prepare_;
    BufferRing ring_;
    BufferRing::Buffer* current_ = nullptr;
    std::size_t taken_ = 0;  // bytes of *current_ already handed on
    std::thread reader_;
};

}  // namespace brisol
