#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <fstream>
#include <memory>

#include "output_file_system.h"

namespace brisol {
namespace {

FileKind kind_of(mode_t mode) {
    if (S_ISREG(mode)) return FileKind::Regular;
    if (S_ISDIR(mode)) return FileKind::Directory;
    if (S_ISCHR(mode)) return FileKind::CharacterDevice;
    if (S_ISFIFO(mode)) return FileKind::Fifo;
    if (S_ISBLK(mode)) return FileKind::BlockDevice;
    if (S_ISSOCK(mode)) return FileKind::Socket;
    if (S_ISLNK(mode)) return FileKind::Symlink;
    return FileKind::Other;
}

// Read, write and execute for owner, group and others: never the set-id or
// sticky bits, which no output should gain from its input or from the file
// it replaces.
constexpr mode_t kPermissionBits = 0777;

FileInfo info_from(const struct stat& st) {
    FileInfo info;
    info.device = st.st_dev;
    info.inode = st.st_ino;
    info.kind = kind_of(st.st_mode);
    info.size = static_cast<std::uint64_t>(st.st_size);
    info.links = st.st_nlink;
    info.permissions = st.st_mode & kPermissionBits;
    info.owner = st.st_uid;
    info.group = st.st_gid;
    info.owned_by_user = st.st_uid == ::geteuid();
    // Root may rename anyone's entries there; so may the folder's owner.
    info.keeps_others_entries = S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) != 0 &&
                                !info.owned_by_user && ::geteuid() != 0;
    return info;
}

// What an output may grant without an input to take it from.
constexpr mode_t kWithoutInput = 0666;

// The permission bits an output may have at most; open() takes the umask off.
mode_t permissions_like(int like) {
    struct stat st {};
    if (like < 0 || ::fstat(like, &st) != 0) return kWithoutInput;
    return st.st_mode & kPermissionBits;
}

// An output is its user's alone until it is complete (open_up()).
constexpr mode_t kWhileWritten = 0600;

// The kernel tells the mask since Linux 4.7; setting and restoring it would
// briefly give every file another thread creates the mask 0.
mode_t creation_mask() {
    static const mode_t mask = [] {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with("Umask:"))
                return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
        }
        const mode_t old = ::umask(022);
        ::umask(old);
        return old;
    }();
    return mask;
}

FdResult fd_result(int fd) { return fd >= 0 ? FdResult{fd, 0} : FdResult{-1, errno}; }

IoStatus io_status(ssize_t n) {
    return n >= 0 ? IoStatus{static_cast<std::size_t>(n), 0} : IoStatus{0, errno};
}

int status(int rc) { return rc == 0 ? 0 : errno; }

// A file opened with O_TMPFILE is named through its /proc entry unless the
// process may link any descriptor (CAP_DAC_READ_SEARCH); without /proc it
// could never be named, so the output is not made unnamed in the first place.
constexpr const char* kOwnDescriptors = "/proc/self/fd/";

int link_descriptor(int fd, int folder, const std::string& name) {
#ifdef AT_EMPTY_PATH
    if (::linkat(fd, "", folder, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
    if (errno != ENOENT) return errno;
#endif
    const std::string own = kOwnDescriptors + std::to_string(fd);
    return status(::linkat(AT_FDCWD, own.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW));
}

FileInfo info_at(int folder, const std::string& name, int flags) {
    struct stat st {};
    if (::fstatat(folder, name.c_str(), &st, flags) != 0) return FileInfo{.error = errno};
    return info_from(st);
}

// A hold opened with O_PATH can look names up but not be listed or flushed.
FdResult open_listable(int folder) {
    return fd_result(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

#ifdef O_PATH
constexpr int kFolderHold = O_PATH;
#else
constexpr int kFolderHold = O_RDONLY;
#endif

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

class PosixFileSystem final : public OutputFileSystem {
public:
    FdResult open_read(const std::string& path) override {
        // O_NONBLOCK keeps a FIFO from hanging the open; the runner refuses
        // anything but a regular file right after, where the flag has no effect.
        return fd_result(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    }

    FdResult open_for_writing(const std::string& path) override {
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) return {-1, errno};
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
            const int error = errno;
            ::close(fd);
            return {-1, error};
        }
        return {fd, 0};
    }

    FdResult open_folder(const std::string& path) override {
        return fd_result(::open(path.c_str(), kFolderHold | O_DIRECTORY | O_CLOEXEC));
    }

    FdResult create_in(int folder, const std::string& name, int like) override {
        return fd_result(::openat(folder, name.c_str(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                                  permissions_like(like) & kWhileWritten));
    }

    FdResult create_unnamed(int folder, int like) override {
#ifdef O_TMPFILE
        if (::access(kOwnDescriptors, X_OK) != 0) return {-1, EOPNOTSUPP};
        const int fd = ::openat(folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC,
                                permissions_like(like) & kWhileWritten);
        if (fd >= 0) return {fd, 0};
        // Kernels and file systems without unnamed files answer in one of
        // these ways; to the caller they all mean "not here".
        if (errno == EISDIR || errno == EINVAL || errno == EOPNOTSUPP) return {-1, EOPNOTSUPP};
        return {-1, errno};
#else
        (void)folder;
        (void)like;
        return {-1, EOPNOTSUPP};
#endif
    }

    int give_name(int fd, int folder, const std::string& name) override {
        return link_descriptor(fd, folder, name);
    }

    FileInfo stat_in(int folder, const std::string& name) override {
        return info_at(folder, name, 0);
    }
    FileInfo stat_link_in(int folder, const std::string& name) override {
        return info_at(folder, name, AT_SYMLINK_NOFOLLOW);
    }

    int rename_in(int folder, const std::string& from, const std::string& to) override {
        return status(::renameat(folder, from.c_str(), folder, to.c_str()));
    }

    int unlink_in(int folder, const std::string& name) override {
        return status(::unlinkat(folder, name.c_str(), 0));
    }

    NamesResult list_folder(int folder) override {
        const FdResult listable = open_listable(folder);
        if (listable.error != 0) return {{}, listable.error};
        const std::unique_ptr<DIR, DirCloser> dir(::fdopendir(listable.fd));
        if (!dir) {
            const int error = errno;
            ::close(listable.fd);
            return {{}, error};
        }
        NamesResult result;
        for (;;) {
            errno = 0;
            const dirent* entry = ::readdir(dir.get());
            if (entry == nullptr) break;
            const std::string_view name = entry->d_name;
            if (name != "." && name != "..") result.names.emplace_back(name);
        }
        result.error = errno;
        return result;
    }

    int flush_folder(int folder) override {
        const FdResult listable = open_listable(folder);
        if (listable.error != 0) return listable.error;
        const int error = status(::fsync(listable.fd));
        ::close(listable.fd);
        return error;
    }

    // The group before the mode: a change of group may clear mode bits. The
    // group is given only where the process may, so a user outside the
    // replaced file's group still gets the mode.
    int open_up(int fd, const std::optional<FileInfo>& like, const FileInfo& replaced) override {
        mode_t mode =
            (like && like->error == 0 ? like->permissions : kWithoutInput) & ~creation_mask();
        if (replaced.error == 0 && replaced.kind == FileKind::Regular && replaced.owned_by_user) {
            mode &= replaced.permissions;
            (void)::fchown(fd, static_cast<uid_t>(-1), replaced.group);
        }
        return status(::fchmod(fd, mode));
    }

    int hold(int fd) override {
        for (;;) {
            if (::flock(fd, LOCK_EX) == 0) return 0;
            if (errno != EINTR) return errno;
        }
    }

    FdResult claim(int folder, const std::string& name) override {
        const int fd = ::openat(folder, name.c_str(),
                                O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) return {-1, errno};
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            return {-1, error};
        }
        return {fd, 0};
    }

    IoStatus read(int fd, std::span<std::uint8_t> into) override {
        return io_status(::read(fd, into.data(), into.size()));
    }

    IoStatus read_at(int fd, std::span<std::uint8_t> into, std::uint64_t offset) override {
        return io_status(::pread(fd, into.data(), into.size(), static_cast<off_t>(offset)));
    }

    bool wait_readable(int fd, int milliseconds) override {
        pollfd watched{fd, POLLIN, 0};
        const int ready = ::poll(&watched, 1, milliseconds);
        return ready > 0 || (ready < 0 && errno != EINTR);
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
    FdResult duplicate(int fd) override { return fd_result(::fcntl(fd, F_DUPFD_CLOEXEC, 0)); }

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

    FileInfo stat_link(const std::string& path) override {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) return FileInfo{.error = errno};
        return info_from(st);
    }

    int standard_input() override { return STDIN_FILENO; }
    int standard_output() override { return STDOUT_FILENO; }
};

}  // namespace

OutputFileSystem& system_file_system() {
    static PosixFileSystem file_system;
    return file_system;
}

void keep_running_on_write_failures() {
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace brisol
