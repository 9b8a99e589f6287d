#include "file_streams.h"

#include "platform.h"
#include "writable_wait.h"

namespace brisol {

IoStatus FileSource::read(std::span<std::uint8_t> into) {
    for (;;) {
        const IoStatus got = files_.read(fd_, into);
        if (got.error != platform::kErrorInterrupted) return got;
    }
}

IoStatus StreamSource::read(std::span<std::uint8_t> into) {
    // Long enough to cost nothing while data flows, short enough that Ctrl-C
    // feels immediate.
    constexpr int kWaitSliceMs = 100;
    for (;;) {
        if (cancel_.load(std::memory_order_relaxed) || stopped_.load(std::memory_order_relaxed))
            return {0, platform::kErrorCancelled};
        if (!files_.wait_readable(fd_, kWaitSliceMs)) continue;
        const IoStatus got = files_.read(fd_, into);
        if (got.error != platform::kErrorInterrupted && got.error != platform::kErrorTryAgain)
            return got;
    }
}

IoStatus FileSink::write(std::span<const std::uint8_t> bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const IoStatus put = files_.write(fd_, bytes.subspan(written));
        if (put.error == platform::kErrorInterrupted) continue;
        if (put.error == platform::kErrorTryAgain && wait_writable(fd_)) continue;
        if (put.error != 0) return {written, put.error};
        // A regular file that takes nothing and names no reason has run out
        // of room; looping would never end.
        if (put.bytes == 0) return {written, platform::kErrorNoSpace};
        written += put.bytes;
    }
    written_ += written;
    if (written_ - written_back_ >= kWritebackBytes) {
        files_.start_writeback(fd_, written_back_, written_ - written_back_);
        written_back_ = written_;
    }
    return {written, 0};
}

}  // namespace brisol
