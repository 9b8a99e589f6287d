#pragma once
// A source that reads the next buffers on a thread of its own while the
// caller works on the current one. It asks the source it wraps for exactly
// what the caller would have asked for, in the same order, and hands on the
// bytes, a read error or the end in that order. If no thread can be started
// it reads in the caller's thread instead.

#include <cstddef>
#include <thread>

#include "cipher/byte_stream.h"
#include "operation/buffer_ring.h"

namespace brisol {

class ReadAheadSource final : public ByteSource {
public:
    ReadAheadSource(ByteSource& inner, std::size_t buffer_bytes, std::size_t buffers = 2);
    ~ReadAheadSource() override;  // stops reading ahead and joins the reader
    ReadAheadSource(const ReadAheadSource&) = delete;
    ReadAheadSource& operator=(const ReadAheadSource&) = delete;

    IoStatus read(std::span<std::uint8_t> into) override;

private:
    void read_ahead();

    ByteSource& inner_;
    BufferRing ring_;
    BufferRing::Buffer* current_ = nullptr;
    std::size_t taken_ = 0;  // bytes of *current_ already handed on
    std::thread reader_;
};

}  // namespace brisol
