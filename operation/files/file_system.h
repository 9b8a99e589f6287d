#pragma once
// The one-call file operations an operation makes, behind one interface, so
// tests can make any of them fail (EIO, ENOSPC, EACCES, short reads) without
// touching the runner. Reads and writes are single system calls: retrying on
// EINTR and on partial transfers is the callers' job, so injected partial
// answers reach the code that must cope with them. What an unfinished output
// needs beyond these is in output_file_system.h.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cipher/byte_stream.h"

namespace brisol {

// Errors are the platform's numbers (platform.h): errno values on POSIX,
// Win32 error codes on Windows, where a descriptor is a handle.

// A file descriptor, or the error of the call that did not produce one.
struct FdResult {
    int fd = -1;
    int error = 0;
};

// The entries of a directory ("." and ".." left out), or the error.
struct NamesResult {
    std::vector<std::string> names;
    int error = 0;
};

enum class FileKind { Regular, Directory, Other };

struct FileInfo {
    std::uint64_t device = 0;  // the volume's serial number on Windows
    std::uint64_t inode = 0;   // the file index on Windows
    FileKind kind = FileKind::Other;
    std::uint64_t size = 0;
    int error = 0;  // when the file could not be examined

    bool same_file_as(const FileInfo& other) const {
        return device == other.device && inode == other.inode;
    }
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Read-only, never blocking on a pipe or device at open time.
    virtual FdResult open_read(const std::string& path) = 0;
    // Creates a new file that did not exist (fails with kErrorExists otherwise),
    // write-only, with the usual permissions less the umask.
    virtual FdResult create_new(const std::string& path) = 0;
    // Opens a directory just to flush its entries.
    virtual FdResult open_directory(const std::string& path) = 0;

    virtual NamesResult list_directory(const std::string& path) = 0;

    virtual IoStatus read(int fd, std::span<std::uint8_t> into) = 0;
    // Reads at a file offset. Where the file position is left afterwards
    // differs per platform, so callers that use it do not mix the two.
    virtual IoStatus read_at(int fd, std::span<std::uint8_t> into, std::uint64_t offset) = 0;
    // Waits at most `milliseconds` for fd to have something to read (or its
    // end); true when it has. Errors count as readable, so the read reports them.
    virtual bool wait_readable(int fd, int milliseconds) = 0;
    virtual IoStatus write(int fd, std::span<const std::uint8_t> bytes) = 0;
    virtual int fsync(int fd) = 0;
    // Starts writing a range of the file to disk without waiting for it, so
    // that the flush at the end has little left to do. Only a hint: where the
    // platform has no such call it does nothing.
    virtual void start_writeback(int /*fd*/, std::uint64_t /*offset*/, std::uint64_t /*length*/) {}
    virtual int close(int fd) = 0;
    // A second descriptor of the same open file: the hold stays while the
    // first one is closed.
    virtual FdResult duplicate(int fd) = 0;

    virtual FileInfo stat_fd(int fd) = 0;
    // Follows symbolic links, so a link is seen as the file it names.
    virtual FileInfo stat_path(const std::string& path) = 0;

    virtual int rename(const std::string& from, const std::string& to) = 0;
    virtual int unlink(const std::string& path) = 0;

    // Standard input and output as descriptors of this interface; the runner
    // reads and writes them but never closes them.
    virtual int standard_input() = 0;
    virtual int standard_output() = 0;
};

// Makes a write past the process's file size limit fail with EFBIG, reported
// as any write failure, instead of ending the process with the output left
// half made. Each program calls it first.
void keep_running_at_file_size_limit();

}  // namespace brisol
