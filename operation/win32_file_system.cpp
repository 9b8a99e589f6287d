// The file seam on Win32, through the wide-character calls. A descriptor is
// the file's handle: Windows keeps handles within 32 bits so that they pass
// between 32- and 64-bit code, and INVALID_HANDLE_VALUE is -1 either way.

#include <windows.h>

#include <algorithm>
#include <climits>

#include "operation/file_system.h"
#include "operation/win32_text.h"

namespace brisol {
namespace {

HANDLE handle_of(int fd) { return LongToHandle(fd); }

int error_of(BOOL ok) { return ok ? 0 : static_cast<int>(GetLastError()); }

FdResult fd_result(HANDLE handle) {
    if (handle == INVALID_HANDLE_VALUE) return {-1, static_cast<int>(GetLastError())};
    return {HandleToLong(handle), 0};
}

// One call moves at most what a DWORD counts.
DWORD chunk_size(std::size_t size) { return static_cast<DWORD>(std::min<std::size_t>(size, UINT_MAX)); }

FileInfo info_of(HANDLE handle) {
    FileInfo info;
    if (GetFileType(handle) != FILE_TYPE_DISK) return info;
    BY_HANDLE_FILE_INFORMATION about{};
    if (!GetFileInformationByHandle(handle, &about)) return FileInfo{.error = static_cast<int>(GetLastError())};
    info.device = about.dwVolumeSerialNumber;
    info.inode = std::uint64_t{about.nFileIndexHigh} << 32 | about.nFileIndexLow;
    info.kind = (about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileKind::Directory
                                                                          : FileKind::Regular;
    info.size = std::uint64_t{about.nFileSizeHigh} << 32 | about.nFileSizeLow;
    return info;
}

class Win32FileSystem final : public FileSystem {
public:
    FdResult open_read(const std::string& path) override {
        // Others may read the input while it is read, but nobody may write,
        // truncate, rename or delete it until it is closed.
        return fd_result(CreateFileW(win32::file_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    }

    FdResult create_new(const std::string& path) override {
        // Hidden until it takes the output's name (rename below).
        return fd_result(CreateFileW(win32::file_path(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
    }

    // Windows flushes a rename itself (MOVEFILE_WRITE_THROUGH below); a
    // directory handle cannot be flushed.
    FdResult open_directory(const std::string&) override { return {-1, ERROR_NOT_SUPPORTED}; }

    IoStatus read(int fd, std::span<std::uint8_t> into) override {
        DWORD got = 0;
        if (!ReadFile(handle_of(fd), into.data(), chunk_size(into.size()), &got, nullptr)) {
            const DWORD error = GetLastError();
            if (error != ERROR_HANDLE_EOF) return {0, static_cast<int>(error)};
        }
        return {got, 0};
    }

    IoStatus write(int fd, std::span<const std::uint8_t> bytes) override {
        DWORD put = 0;
        if (!WriteFile(handle_of(fd), bytes.data(), chunk_size(bytes.size()), &put, nullptr))
            return {0, static_cast<int>(GetLastError())};
        return {put, 0};
    }

    int fsync(int fd) override { return error_of(FlushFileBuffers(handle_of(fd))); }
    int close(int fd) override { return error_of(CloseHandle(handle_of(fd))); }

    FileInfo stat_fd(int fd) override { return info_of(handle_of(fd)); }

    FileInfo stat_path(const std::string& path) override {
        // No access asked, only attributes; backup semantics let a directory
        // open too. Shared every way, so it disturbs no one.
        const HANDLE handle = CreateFileW(win32::file_path(path).c_str(), 0,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return FileInfo{.error = static_cast<int>(GetLastError())};
        const FileInfo info = info_of(handle);
        CloseHandle(handle);
        return info;
    }

    int rename(const std::string& from, const std::string& to) override {
        const std::wstring source = win32::file_path(from);
        if (!SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_NORMAL))
            return static_cast<int>(GetLastError());
        return error_of(MoveFileExW(source.c_str(), win32::file_path(to).c_str(),
                                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    }

    int unlink(const std::string& path) override {
        return error_of(DeleteFileW(win32::file_path(path).c_str()));
    }
};

}  // namespace

FileSystem& system_file_system() {
    static Win32FileSystem file_system;
    return file_system;
}

}  // namespace brisol
