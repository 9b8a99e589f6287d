#include "write_behind.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace brisol {

WriteBehindSink::WriteBehindSink(ByteSink& inner, std::size_t buffer_bytes, std::size_t buffers)
    : inner_(inner), ring_(buffers, buffer_bytes) {
    try {
        writer_ = std::thread([this] { write_behind(); });
    } catch (const std::system_error&) {
        direct_ = true;
    }
}

WriteBehindSink::~WriteBehindSink() {
    ring_.stop();
    if (writer_.joinable()) writer_.join();
}

void WriteBehindSink::write_behind() {
    for (;;) {
        BufferRing::Buffer* buffer = ring_.next_to_empty();
        if (buffer == nullptr) return;
        if (buffer->size > 0) {
            const IoStatus put = inner_.write(buffer->space.first(buffer->size));
            if (put.error != 0) {
                failure_.store(put.error);
                ring_.stop();
                return;
            }
        }
        const bool last = buffer->last;
        ring_.emptied();
        if (last) return;
    }
}

IoStatus WriteBehindSink::write(std::span<const std::uint8_t> bytes) {
    if (direct_) return inner_.write(bytes);
    std::size_t taken = 0;
    while (taken < bytes.size()) {
        BufferRing::Buffer* buffer = ring_.next_to_fill();
        if (buffer == nullptr) return {0, failure_.load()};
        const std::size_t n = std::min(buffer->space.size(), bytes.size() - taken);
        std::memcpy(buffer->space.data(), bytes.data() + taken, n);
        buffer->size = n;
        ring_.filled();
        taken += n;
    }
    return {bytes.size(), 0};
}

int WriteBehindSink::finish() {
    if (writer_.joinable()) {
        if (BufferRing::Buffer* end = ring_.next_to_fill(); end != nullptr) {
            end->last = true;
            ring_.filled();
        }
        writer_.join();
    }
    return failure_.load();
}

}  // namespace brisol
