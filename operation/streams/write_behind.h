#pragma once
// A sink that takes a copy of each write and writes it on a thread of its own
// while the caller goes on. A failed write stops the writing; the caller
// hears of it at a later write or at finish(). If no thread can be started it
// writes in the caller's thread instead.

#include <atomic>
#include <cstddef>
#include <thread>

#include "byte_stream.h"
#include "buffer_ring.h"

namespace brisol {

class WriteBehindSink final : public ByteSink {
public:
    WriteBehindSink(ByteSink& inner, std::size_t buffer_bytes, std::size_t buffers = 2);
    ~WriteBehindSink() override;  // drops what is not written yet and joins the writer
    WriteBehindSink(const WriteBehindSink&) = delete;
    WriteBehindSink& operator=(const WriteBehindSink&) = delete;

    IoStatus write(std::span<const std::uint8_t> bytes) override;

    // Waits until every byte handed over is written: the errno value of the
    // first write that failed, else 0.
    int finish();

private:
    void write_behind();

    ByteSink& inner_;
    BufferRing ring_;
    std::atomic<int> failure_{0};
    bool direct_ = false;
    std::thread writer_;
};

}  // namespace brisol
