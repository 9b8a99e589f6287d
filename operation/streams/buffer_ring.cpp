#include "buffer_ring.h"

namespace brisol {

BufferRing::BufferRing(std::size_t buffers, std::size_t bytes_each)
    : memory_(buffers * ((bytes_each + kChunkSize - 1) / kChunkSize)), buffers_(buffers) {
    const std::size_t each = memory_.capacity() / buffers;
    for (std::size_t k = 0; k < buffers; ++k)
        buffers_[k].space = memory_.bytes().subspan(k * each, each);
}

BufferRing::Buffer* BufferRing::next_to_fill() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || fill_at_ - empty_at_ < buffers_.size(); });
    if (stopped_) return nullptr;
    Buffer& buffer = buffers_[fill_at_ % buffers_.size()];
    buffer.size = 0;
    buffer.error = 0;
    buffer.last = false;
    return &buffer;
}

void BufferRing::filled() {
    {
        const std::lock_guard lock(mutex_);
        ++fill_at_;
    }
    changed_.notify_all();
}

BufferRing::Buffer* BufferRing::next_to_empty() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return stopped_ || empty_at_ < fill_at_; });
    if (stopped_) return nullptr;
    return &buffers_[empty_at_ % buffers_.size()];
}

void BufferRing::emptied() {
    {
        const std::lock_guard lock(mutex_);
        ++empty_at_;
    }
    changed_.notify_all();
}

void BufferRing::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    changed_.notify_all();
}

}  // namespace brisol
