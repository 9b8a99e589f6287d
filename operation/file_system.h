#pragma once
// The few file calls an operation makes, behind one interface, so tests can
// make any of them fail (EIO, ENOSPC, EACCES, short reads) without touching
// the runner. Reads and writes are single system calls: retrying on EINTR
// and on partial transfers is the callers' job, so injected partial answers
// reach the code that must cope with them. The calls for outputs are named
// by what they are for, so that each platform supplies its own way: an
// output without a name until it is complete, and a hold that tells a live
// writer's hidden file from a dead one's leftover.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "cipher/byte_stream.h"

namespace brisol {

// A file descriptor, or the errno value of the call that did not produce one.
struct FdResult {
    int fd = -1;
    int error = 0;
};

// The entries of a directory ("." and ".." left out), or the errno value.
struct NamesResult {
    std::vector<std::string> names;
    int error = 0;
};

enum class FileKind { Regular, Directory, Other };

struct FileInfo {
    dev_t device = 0;
    ino_t inode = 0;
    FileKind kind = FileKind::Other;
    std::uint64_t size = 0;
    int error = 0;  // errno value when the file could not be examined

    bool same_file_as(const FileInfo& other) const {
        return device == other.device && inode == other.inode;
    }
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Read-only, never blocking on a pipe or device at open time.
    virtual FdResult open_read(const std::string& path) = 0;
    // Creates a new file that did not exist (fails with EEXIST otherwise),
    // write-only, with the usual permissions less the umask.
    virtual FdResult create_new(const std::string& path) = 0;
    // Opens a directory just to flush its entries.
    virtual FdResult open_directory(const std::string& path) = 0;

    // An output that has no name yet in the given directory, write-only, so
    // that nothing is left of it if the process dies before give_name().
    // Fails with EOPNOTSUPP where the file system or the platform has no
    // such files (callers then write under a hidden name instead).
    virtual FdResult create_unnamed(const std::string& directory) = 0;
    // Gives an unnamed output a name in its directory; EEXIST when the name
    // is taken, which is never replaced.
    virtual int give_name(int fd, const std::string& path) = 0;

    // Marks an open output as held by this live process until its last
    // descriptor is closed: claim() fails on it meanwhile. Waits for a
    // claim() of another process to end.
    virtual int hold(int fd) = 0;
    // Opens a leftover file for removal, only if no live process holds it:
    // EWOULDBLOCK when one does, ELOOP for a symbolic link, and a descriptor
    // that keeps other claims away while the caller removes the file.
    virtual FdResult claim(const std::string& path) = 0;
    virtual NamesResult list_directory(const std::string& path) = 0;

    virtual IoStatus read(int fd, std::span<std::uint8_t> into) = 0;
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
};

// The real file system through POSIX calls; lives for the whole process.
FileSystem& posix_file_system();

}  // namespace brisol
