#include "read_ahead.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace brisol {

ReadAheadSource::ReadAheadSource(ByteSource& inner, std::size_t buffer_bytes, Prepare prepare,
                                 std::size_t buffers)
    : inner_(inner), prepare_(std::move(prepare)), ring_(buffers, buffer_bytes) {
    try {
        reader_ = std::thread([this] {
            while (!fill_next()) {}
        });
    } catch (const std::system_error&) {
        // read() then fills each buffer itself when it needs one.
    }
}

ReadAheadSource::~ReadAheadSource() {
    ring_.stop();
    if (reader_.joinable()) reader_.join();
}

bool ReadAheadSource::fill_next() {
    BufferRing::Buffer* buffer = ring_.next_to_fill();
    if (buffer == nullptr) return true;
    while (buffer->size < buffer->space.size()) {
        const IoStatus got = inner_.read(buffer->space.subspan(buffer->size));
        buffer->error = got.error;
        buffer->last = got.error != 0 || got.bytes == 0;
        if (buffer->last) break;
        buffer->size += got.bytes;
    }
    if (prepare_) prepare_(buffer->space.first(buffer->size));
    const bool last = buffer->last;
    ring_.filled();
    return last;
}

IoStatus ReadAheadSource::read(std::span<std::uint8_t> into) {
    if (current_ == nullptr) {
        if (!reader_.joinable()) fill_next();
        current_ = ring_.next_to_empty();
        taken_ = 0;
    }
    const BufferRing::Buffer& buffer = *current_;
    if (taken_ == buffer.size) return {0, buffer.error};  // only a last buffer is kept drained
    const std::size_t n = std::min(into.size(), buffer.size - taken_);
    std::memcpy(into.data(), buffer.space.data() + taken_, n);
    taken_ += n;
    if (taken_ == buffer.size && !buffer.last) {
        ring_.emptied();
        current_ = nullptr;
    }
    return {n, 0};
}

}  // namespace brisol
