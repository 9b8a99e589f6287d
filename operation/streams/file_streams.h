#pragma once
// The pipeline's two ends over open file descriptors. They smooth over what a
// single read or write call may do: stop early on a signal (EINTR), move
// fewer bytes than asked, or find a pipe that another program made
// non-blocking full (writable_wait.h). The sink also starts writing its file to disk every
// few megabytes, so that the flush at the end does not write it all at once.

#include <atomic>

#include "byte_stream.h"
#include "file_system.h"

namespace brisol {

class FileSource final : public ByteSource {
public:
    FileSource(FileSystem& files, int fd) : files_(files), fd_(fd) {}
    IoStatus read(std::span<std::uint8_t> into) override;

private:
    FileSystem& files_;
    int fd_;
};

// Standard input: a terminal or a pipe whose writer has stalled can keep a
// read waiting for ever, so it waits in short slices and gives up with
// platform::kErrorCancelled once the operation is cancelled, or once stop()
// says that nothing more will be read (a reading thread may still wait).
class StreamSource final : public ByteSource {
public:
    StreamSource(FileSystem& files, int fd, const std::atomic<bool>& cancel)
        : files_(files), fd_(fd), cancel_(cancel) {}
    IoStatus read(std::span<std::uint8_t> into) override;
    void stop() { stopped_.store(true); }

private:
    FileSystem& files_;
    int fd_;
    const std::atomic<bool>& cancel_;
    std::atomic<bool> stopped_{false};
};

class FileSink final : public ByteSink {
public:
    static constexpr std::uint64_t kWritebackBytes = 8 << 20;

    // fd is a new file, written from its start.
    FileSink(FileSystem& files, int fd) : files_(files), fd_(fd) {}
    IoStatus write(std::span<const std::uint8_t> bytes) override;

private:
    FileSystem& files_;
    int fd_;
    std::uint64_t written_ = 0;
    std::uint64_t written_back_ = 0;  // where the last early write-back ended
};

}  // namespace brisol
