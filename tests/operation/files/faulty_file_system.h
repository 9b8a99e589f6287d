#pragma once
// The real file system with failures and awkward answers injected on demand.
// Counters are read by the test only after the worker has been joined.

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <future>

#include "output_file_system.h"
#include "platform.h"

namespace brisol::testing {

class FaultyFileSystem final : public OutputFileSystem {
public:
    // Injected errno values; 0 means the real call runs.
    int open_read_error = 0;
    int create_error = 0;  // whichever way the output is made
    int open_for_writing_error = 0;
    // As on a file system without unnamed files: outputs take a hidden name.
    bool unnamed_unsupported = false;
    int give_name_error = 0;
    int hold_error = 0;
    int fsync_error = 0;
    int close_error_on_output = 0;
    int rename_error = 0;
    int read_error = 0;
    int read_error_after_calls = 0;  // lets this many reads succeed first
    int write_error = 0;
    int write_error_after_calls = 0;

    std::size_t max_read = SIZE_MAX;  // short reads
    int short_read_call = -1;         // only this read (counted from 0) is short
    std::size_t short_read_bytes = 1;
    // The input seems to end here, as if it had been truncated meanwhile.
    std::uint64_t input_ends_after = UINT64_MAX;
    std::size_t max_write = SIZE_MAX;         // partial writes
    bool interrupt_every_other_call = false;  // an interruption before each real read and write

    // When set, the first read waits until release_reads().
    bool hold_reads = false;
    void release_reads() { reads_released_.set_value(); }
    // Set once the worker is waiting in its first read.
    std::future<void> reading_started() { return reading_.get_future(); }

    int reads = 0;
    int writes = 0;
    int listings = 0;  // of folders, by sweeps of leftovers

    FdResult open_read(const std::string& path) override {
        if (open_read_error != 0) return {-1, open_read_error};
        return real_.open_read(path);
    }
    FdResult open_for_writing(const std::string& path) override {
        if (open_for_writing_error != 0) return {-1, open_for_writing_error};
        return real_.open_for_writing(path);
    }
    FdResult open_folder(const std::string& path) override { return real_.open_folder(path); }
    FdResult create_in(int folder, const std::string& name, int like) override {
        if (create_error != 0) return {-1, create_error};
        return output(real_.create_in(folder, name, like));
    }
    FdResult create_unnamed(int folder, int like) override {
        if (unnamed_unsupported) return {-1, platform::kErrorNotSupported};
        if (create_error != 0) return {-1, create_error};
        return output(real_.create_unnamed(folder, like));
    }
    int give_name(int fd, int folder, const std::string& name) override {
        return give_name_error != 0 ? give_name_error : real_.give_name(fd, folder, name);
    }
    FileInfo stat_in(int folder, const std::string& name) override {
        return real_.stat_in(folder, name);
    }
    FileInfo stat_link_in(int folder, const std::string& name) override {
        return real_.stat_link_in(folder, name);
    }
    int rename_in(int folder, const std::string& from, const std::string& to) override {
        return rename_error != 0 ? rename_error : real_.rename_in(folder, from, to);
    }
    int unlink_in(int folder, const std::string& name) override {
        return real_.unlink_in(folder, name);
    }
    NamesResult list_folder(int folder) override {
        ++listings;
        return real_.list_folder(folder);
    }
    int flush_folder(int folder) override { return real_.flush_folder(folder); }
    int open_up(int fd, const std::optional<FileInfo>& like, const FileInfo& replaced) override {
        return real_.open_up(fd, like, replaced);
    }
    int hold(int fd) override { return hold_error != 0 ? hold_error : real_.hold(fd); }
    FdResult claim(int folder, const std::string& name) override {
        return real_.claim(folder, name);
    }
    FdResult duplicate(int fd) override { return real_.duplicate(fd); }

    IoStatus read(int fd, std::span<std::uint8_t> into) override {
        if (hold_reads && reads == 0) {
            reading_.set_value();
            reads_released_.get_future().wait();
        }
        if (interrupt_every_other_call && (interrupts_++ % 2 == 0))
            return {0, platform::kErrorInterrupted};
        if (read_error != 0 && reads >= read_error_after_calls) return {0, read_error};
        std::size_t wanted = std::min(into.size(), max_read);
        if (reads == short_read_call) wanted = std::min(wanted, short_read_bytes);
        wanted = static_cast<std::size_t>(
            std::min<std::uint64_t>(wanted, input_ends_after - bytes_read_));
        ++reads;
        const IoStatus got = real_.read(fd, into.first(wanted));
        bytes_read_ += got.bytes;
        return got;
    }
    IoStatus read_at(int fd, std::span<std::uint8_t> into, std::uint64_t offset) override {
        return real_.read_at(fd, into, offset);
    }
    bool wait_readable(int fd, int milliseconds) override {
        return real_.wait_readable(fd, milliseconds);
    }
    int standard_input() override { return real_.standard_input(); }
    int standard_output() override { return real_.standard_output(); }
    IoStatus write(int fd, std::span<const std::uint8_t> bytes) override {
        if (interrupt_every_other_call && (interrupts_++ % 2 == 0))
            return {0, platform::kErrorInterrupted};
        if (write_error != 0 && writes >= write_error_after_calls) return {0, write_error};
        ++writes;
        return real_.write(fd, bytes.first(std::min(bytes.size(), max_write)));
    }
    int fsync(int fd) override { return fsync_error != 0 ? fsync_error : real_.fsync(fd); }
    int close(int fd) override {
        const int error = real_.close(fd);
        return fd == output_fd_ && close_error_on_output != 0 ? close_error_on_output : error;
    }
    FileInfo stat_fd(int fd) override { return real_.stat_fd(fd); }
    FileInfo stat_path(const std::string& path) override { return real_.stat_path(path); }
    FileInfo stat_link(const std::string& path) override { return real_.stat_link(path); }

private:
    FdResult output(FdResult made) {
        output_fd_ = made.fd;
        return made;
    }

    OutputFileSystem& real_ = system_file_system();
    int output_fd_ = -1;
    std::uint64_t bytes_read_ = 0;
    std::atomic<unsigned> interrupts_{0};  // reads and writes run on threads of their own
    std::promise<void> reads_released_;
    std::promise<void> reading_;
};

}  // namespace brisol::testing
