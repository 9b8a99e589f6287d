#pragma once
// The one-call file operations an operation makes, behind one interface, so
// tests can make any of them fail (EIO, ENOSPC, EACCES, short reads) without
// touching the runner. Reads and writes are single system calls: retrying on
// EINTR and on partial transfers is the callers' job, so injected partial
// answers reach the code that must cope with them. What an unfinished output
// needs beyond these is in output_file_system.h.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "byte_stream.h"

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

// Symlink only from stat_link(); on Windows it stands for a reparse point
// that names another file (a symbolic link or a junction), and a console or
// the NUL device is a CharacterDevice, a pipe a Fifo.
enum class FileKind {
    Regular,
    Directory,
    CharacterDevice,
    Fifo,
    BlockDevice,
    Socket,
    Symlink,
    Other
};

struct FileInfo {
    std::uint64_t device = 0;  // the volume's serial number on Windows
    std::uint64_t inode = 0;   // the file index on Windows
    FileKind kind = FileKind::Other;
    std::uint64_t size = 0;
    std::uint64_t links = 1;  // the names the file has
    // POSIX only; Windows keeps its permissions in security descriptors,
    // which these calls leave to the system.
    std::uint32_t permissions = 0;  // the mode's permission bits
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    bool owned_by_user = true;  // by the process's effective user
    // A folder in which this process may rename or remove only its own
    // entries (the sticky bit of a shared folder such as /tmp).
    bool keeps_others_entries = false;
    int error = 0;  // when the file could not be examined

    bool same_file_as(const FileInfo& other) const {
        return device == other.device && inode == other.inode;
    }
};

// A file a run reads (its input, a password file), which no output and no
// sweep of leftovers may replace or remove, with the name messages give it.
struct KeptFile {
    std::string shown;
    FileInfo info;
};

// The one of `reads` that `info` is, or null.
inline const KeptFile* find_kept_file(const std::vector<KeptFile>& reads, const FileInfo& info) {
    if (info.error != 0) return nullptr;
    for (const KeptFile& read : reads)
        if (read.info.error == 0 && read.info.same_file_as(info)) return &read;
    return nullptr;
}

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Read-only, never blocking on a pipe or device at open time.
    virtual FdResult open_read(const std::string& path) = 0;
    // Opens an existing device or FIFO write-only where it is: nothing is
    // created or truncated, a symbolic link is not followed, and the open
    // never waits, so a FIFO that nobody reads yet fails with kErrorNoReader.
    // Writes to the descriptor then wait as usual.
    virtual FdResult open_for_writing(const std::string& path) = 0;
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
    // Sees a symbolic link as itself.
    virtual FileInfo stat_link(const std::string& path) = 0;
    // Standard input and output as descriptors of this interface; the runner
    // reads and writes them but never closes them.
    virtual int standard_input() = 0;
    virtual int standard_output() = 0;
};

// Makes a write past the process's file size limit fail with EFBIG, and a
// write to a pipe or FIFO whose reader has gone fail with EPIPE, reported as
// any write failure, instead of ending the process with the output left half
// made. Each program calls it first.
void keep_running_on_write_failures();

// The descriptor a path names when it is one of the names the system gives a
// process for its own open descriptors (/dev/stdout, /dev/fd/3,
// /proc/self/fd/3 and the like on Linux, however the path to their folder is
// spelt; none on Windows).
std::optional<int> descriptor_named(std::string_view path);

}  // namespace brisol
