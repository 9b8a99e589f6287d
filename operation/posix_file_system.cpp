#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "operation/file_system.h"

namespace brisol {
namespace {

FileKind kind_of(mode_t mode) {
    if (S_ISREG(mode)) return FileKind::Regular;
    if (S_ISDIR(mode)) return FileKind::Directory;
    return FileKind::Other;
}

FileInfo info_from(const struct stat& st) {
    FileInfo info;
    info.device = st.st_dev;
    info.inode = st.st_ino;
    info.kind = kind_of(st.st_mode);
    info.size = static_cast<std::uint64_t>(st.st_size);
    return info;
}

FdResult fd_result(int fd) { return fd >= 0 ? FdResult{fd, 0} : FdResult{-1, errno}; }

IoStatus io_status(ssize_t n) {
    return n >= 0 ? IoStatus{static_cast<std::size_t>(n), 0} : IoStatus{0, errno};
}

int status(int rc) { return rc == 0 ? 0 : errno; }

class PosixFileSystem final : public FileSystem {
public:
    FdResult open_read(const std::string& path) override {
        // O_NONBLOCK keeps a FIFO from hanging the open; the runner refuses
        // anything but a regular file right after, where the flag has no effect.
        return fd_result(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    }

    FdResult create_new(const std::string& path) override {
        return fd_result(
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
    }

    FdResult open_directory(const std::string& path) override {
        return fd_result(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    }

    IoStatus read(int fd, std::span<std::uint8_t> into) override {
        return io_status(::read(fd, into.data(), into.size()));
    }

    IoStatus write(int fd, std::span<const std::uint8_t> bytes) override {
        return io_status(::write(fd, bytes.data(), bytes.size()));
    }

    int fsync(int fd) override { return status(::fsync(fd)); }

#ifdef __linux__
    void start_writeback(int fd, std::uint64_t offset, std::uint64_t length) override {
        ::sync_file_range(fd, static_cast<off_t>(offset), static_cast<off_t>(length),
                          SYNC_FILE_RANGE_WRITE);
    }
#endif
    int close(int fd) override { return status(::close(fd)); }

    FileInfo stat_fd(int fd) override {
        struct stat st {};
        if (::fstat(fd, &st) != 0) return FileInfo{.error = errno};
        return info_from(st);
    }

    FileInfo stat_path(const std::string& path) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return FileInfo{.error = errno};
        return info_from(st);
    }

    int rename(const std::string& from, const std::string& to) override {
        return status(::rename(from.c_str(), to.c_str()));
    }

    int unlink(const std::string& path) override { return status(::unlink(path.c_str())); }
};

}  // namespace

FileSystem& system_file_system() {
    static PosixFileSystem file_system;
    return file_system;
}

}  // namespace brisol
