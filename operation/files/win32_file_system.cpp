// The file seam on Win32, through the wide-character calls. A descriptor is
// the file's handle: Windows keeps handles within 32 bits so that they pass
// between 32- and 64-bit code, and INVALID_HANDLE_VALUE is -1 either way.
//
// Windows has no file without a name. An "unnamed" output is a hidden file
// marked for deletion until it is given its name, so the system removes it
// when the process ends first, even when it is killed. Only a crash of the
// whole system leaves it, under the hidden name (hidden_name.h) that the
// next run's sweep removes. The hold is the share mode: outputs are opened
// sharing nothing but deletion (so they can be renamed and removed while
// open), and a claim asks for read access, which no live output shares.
// An output takes the input's access rules, so that a decrypted secret is no
// more open than the file it came from.
//
// A folder's hold is a handle that shares no deletion, so the folder cannot
// be renamed or removed while an output goes there; Win32 has no calls that
// look a name up in an open folder, so names are still composed from the
// folder's path as it was opened.

#include <windows.h>
#include <aclapi.h>

#include <algorithm>
#include <climits>
#include <map>
#include <memory>
#include <mutex>

#include "hidden_name.h"
#include "output_file_system.h"
#include "platform.h"
#include "win32_text.h"

namespace brisol {
namespace {

HANDLE handle_of(int fd) { return LongToHandle(fd); }

int error_of(BOOL ok) { return ok ? 0 : static_cast<int>(GetLastError()); }

FdResult fd_result(HANDLE handle) {
    if (handle == INVALID_HANDLE_VALUE) return {-1, static_cast<int>(GetLastError())};
    return {HandleToLong(handle), 0};
}

// One call moves at most what a DWORD counts.
DWORD chunk_size(std::size_t size) {
    return static_cast<DWORD>(std::min<std::size_t>(size, UINT_MAX));
}

constexpr DWORD kOutputAccess = GENERIC_WRITE | DELETE;
constexpr DWORD kOutputSharing = FILE_SHARE_DELETE;

// The access rules of `like` where they can be read (the input's handle has
// READ_CONTROL through GENERIC_READ), and nothing the folder would add to
// them; the user running may always read, write and delete it, so that the
// output can be written, renamed and later replaced as every output is. Without them, the
// folder's defaults.
class OutputSecurity {
    static constexpr DWORD kOwnAccess = FILE_GENERIC_READ | FILE_GENERIC_WRITE | DELETE;

public:
    explicit OutputSecurity(int like) {
        PACL rules = nullptr;
        if (like == -1 ||
            GetSecurityInfo(handle_of(like), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                            nullptr, &rules, nullptr, &input_) != ERROR_SUCCESS)
            return;
        EXPLICIT_ACCESS_W user{};
        BuildExplicitAccessWithNameW(&user, const_cast<wchar_t*>(L"CURRENT_USER"), kOwnAccess,
                                     GRANT_ACCESS, NO_INHERITANCE);
        ready_ = SetEntriesInAclW(1, &user, rules, &rules_) == ERROR_SUCCESS &&
                 InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) &&
                 SetSecurityDescriptorDacl(&descriptor_, TRUE, rules_, FALSE) &&
                 SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
    }
    ~OutputSecurity() {
        LocalFree(rules_);
        LocalFree(input_);
    }
    OutputSecurity(const OutputSecurity&) = delete;
    OutputSecurity& operator=(const OutputSecurity&) = delete;

    SECURITY_ATTRIBUTES* attributes() { return ready_ ? &attributes_ : nullptr; }

private:
    PSECURITY_DESCRIPTOR input_ = nullptr;
    PACL rules_ = nullptr;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{sizeof attributes_, &descriptor_, FALSE};
    bool ready_ = false;
};

HANDLE create_output(const std::wstring& path, int like) {
    OutputSecurity security(like);
    return CreateFileW(path.c_str(), kOutputAccess, kOutputSharing, security.attributes(),
                       CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
}

int set_delete_on_close(HANDLE handle, bool on) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = on ? TRUE : FALSE;
    return error_of(
        SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition));
}

// Only looks: a named output that stays hidden is still complete and in place.
void set_visible(HANDLE handle) {
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic);
}

// Renames the open file without replacing anything.
int rename_handle(HANDLE handle, const std::wstring& path) {
    const std::size_t name_bytes = path.size() * sizeof(wchar_t);
    const std::size_t size = offsetof(FILE_RENAME_INFO, FileName) + name_bytes + sizeof(wchar_t);
    const auto buffer = std::make_unique<unsigned char[]>(size);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.get());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(name_bytes);
    std::copy(path.begin(), path.end(), rename->FileName);
    rename->FileName[path.size()] = L'\0';
    if (SetFileInformationByHandle(handle, FileRenameInfo, rename, static_cast<DWORD>(size)))
        return 0;
    const DWORD error = GetLastError();
    return error == ERROR_ALREADY_EXISTS ? ERROR_FILE_EXISTS : static_cast<int>(error);
}

// A reparse point that stands for another name: a symbolic link or a
// junction, not a file the system only stores in its own way.
bool names_another_file(HANDLE handle) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    return GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) &&
           (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
           IsReparseTagNameSurrogate(tag.ReparseTag);
}

// `opened_as_link`: the handle was opened on a reparse point itself.
FileInfo info_of(HANDLE handle, bool opened_as_link = false) {
    FileInfo info;
    switch (GetFileType(handle)) {
        case FILE_TYPE_DISK: break;
        case FILE_TYPE_CHAR: info.kind = FileKind::CharacterDevice; return info;
        case FILE_TYPE_PIPE: info.kind = FileKind::Fifo; return info;
        default: return info;
    }
    BY_HANDLE_FILE_INFORMATION about{};
    if (!GetFileInformationByHandle(handle, &about))
        return FileInfo{.error = static_cast<int>(GetLastError())};
    info.device = about.dwVolumeSerialNumber;
    info.inode = std::uint64_t{about.nFileIndexHigh} << 32 | about.nFileIndexLow;
    info.kind = (about.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileKind::Directory
                                                                         : FileKind::Regular;
    if (opened_as_link && names_another_file(handle)) info.kind = FileKind::Symlink;
    info.size = std::uint64_t{about.nFileSizeHigh} << 32 | about.nFileSizeLow;
    info.links = about.nNumberOfLinks;
    return info;
}

// No access asked, only attributes; backup semantics let a directory open
// too. Shared every way, so it disturbs no one.
// A console (CON) opens only to be read or written, which decides whether it
// is the console's input or its output; looking at it as its input is
// harmless.
FileInfo info_at(const std::wstring& name, DWORD flags) {
    const auto open = [&](DWORD access) {
        return CreateFileW(name.c_str(), access,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
    };
    HANDLE handle = open(0);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_HANDLE)
        handle = open(GENERIC_READ);
    if (handle == INVALID_HANDLE_VALUE) return FileInfo{.error = static_cast<int>(GetLastError())};
    const FileInfo info = info_of(handle, (flags & FILE_FLAG_OPEN_REPARSE_POINT) != 0);
    CloseHandle(handle);
    return info;
}

// What another program's short-lived handle on a file makes a replacement
// of it fail with, for about a second in all.
constexpr int kReplaceAttempts = 40;
constexpr DWORD kReplaceRetryMs = 25;

bool is_passing_refusal(int error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION;
}

class Win32FileSystem final : public OutputFileSystem {
public:
    FdResult open_read(const std::string& path) override {
        // Others may read the input while it is read, but nobody may write,
        // truncate, rename or delete it until it is closed. Opening a
        // directory would only say "Access is denied".
        const std::wstring name = win32::file_path(path);
        const DWORD attributes = GetFileAttributesW(name.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            return {-1, platform::kErrorIsDirectory};
        return fd_result(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    }

    FdResult open_for_writing(const std::string& path) override {
        return fd_result(CreateFileW(win32::file_path(path).c_str(), GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    }

    FdResult open_folder(const std::string& path) override {
        std::wstring folder = win32::file_path(path);
        const FdResult held = fd_result(
            CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        if (held.error != 0) return held;
        const std::lock_guard lock(folders_mutex_);
        folders_[held.fd] = std::move(folder);
        return held;
    }

    // Hidden until it takes the output's name (rename below).
    FdResult create_in(int folder, const std::string& name, int like) override {
        return fd_result(create_output(path_in(folder, name), like));
    }

    FdResult create_unnamed(int folder, int like) override {
        for (;;) {
            const HANDLE handle = create_output(path_in(folder, hidden_output_name()), like);
            if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) continue;
            if (handle == INVALID_HANDLE_VALUE) return fd_result(handle);
            if (const int error = set_delete_on_close(handle, true); error != 0) {
                CloseHandle(handle);
                return {-1, error};
            }
            return fd_result(handle);
        }
    }

    // A file marked for deletion cannot be renamed everywhere, so the mark
    // comes off first and goes back on when the name cannot be had.
    int give_name(int fd, int folder, const std::string& name) override {
        const HANDLE handle = handle_of(fd);
        if (const int error = set_delete_on_close(handle, false); error != 0) return error;
        if (const int error = rename_handle(handle, path_in(folder, name)); error != 0) {
            set_delete_on_close(handle, true);
            return error;
        }
        set_visible(handle);
        return 0;
    }

    FileInfo stat_in(int folder, const std::string& name) override {
        return info_at(path_in(folder, name), 0);
    }
    FileInfo stat_link_in(int folder, const std::string& name) override {
        return info_at(path_in(folder, name), FILE_FLAG_OPEN_REPARSE_POINT);
    }

    // Replaces an existing output whole or not at all. Windows refuses to
    // replace a file while anyone has it open, even only to look at it (a
    // virus scanner, an indexer, another run checking its names), so a
    // refusal is retried for a moment before it counts.
    int rename_in(int folder, const std::string& from, const std::string& to) override {
        const std::wstring source = path_in(folder, from);
        if (!SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_NORMAL))
            return static_cast<int>(GetLastError());
        const std::wstring target = path_in(folder, to);
        for (int attempt = 1;; ++attempt) {
            const int error =
                error_of(MoveFileExW(source.c_str(), target.c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
            if (!is_passing_refusal(error) || attempt == kReplaceAttempts) return error;
            Sleep(kReplaceRetryMs);
        }
    }

    int unlink_in(int folder, const std::string& name) override {
        return error_of(DeleteFileW(path_in(folder, name).c_str()));
    }

    NamesResult list_folder(int folder) override {
        WIN32_FIND_DATAW found{};
        const HANDLE search = FindFirstFileW(path_in(folder, "*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) return {{}, static_cast<int>(GetLastError())};
        NamesResult result;
        do {
            const std::wstring_view name = found.cFileName;
            if (name != L"." && name != L"..") result.names.push_back(win32::narrow(name));
        } while (FindNextFileW(search, &found));
        if (const DWORD error = GetLastError(); error != ERROR_NO_MORE_FILES)
            result.error = static_cast<int>(error);
        FindClose(search);
        return result;
    }

    // Windows flushes a rename itself (MOVEFILE_WRITE_THROUGH above); a
    // directory handle cannot be flushed.
    int flush_folder(int) override { return 0; }

    // An output keeps the access rules it was made with.
    int open_up(int, const std::optional<FileInfo>&, const FileInfo&) override { return 0; }

    int hold(int) override { return 0; }

    FdResult claim(int folder, const std::string& name) override {
        const HANDLE handle =
            CreateFileW(path_in(folder, name).c_str(), GENERIC_READ | DELETE, FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return fd_result(handle);
        FILE_BASIC_INFO basic{};
        if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) ||
            (basic.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            CloseHandle(handle);
            return {-1, ERROR_CANT_RESOLVE_FILENAME};
        }
        return fd_result(handle);
    }

    IoStatus read(int fd, std::span<std::uint8_t> into) override {
        DWORD got = 0;
        if (!ReadFile(handle_of(fd), into.data(), chunk_size(into.size()), &got, nullptr)) {
            // A pipe whose writer has closed its end has ended, as on POSIX.
            const DWORD error = GetLastError();
            if (error != ERROR_HANDLE_EOF && error != ERROR_BROKEN_PIPE)
                return {0, static_cast<int>(error)};
        }
        return {got, 0};
    }

    // The offset goes in the OVERLAPPED structure; on a handle opened for
    // synchronous calls the file position moves past what was read.
    IoStatus read_at(int fd, std::span<std::uint8_t> into, std::uint64_t offset) override {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        if (!ReadFile(handle_of(fd), into.data(), chunk_size(into.size()), &got, &at)) {
            const DWORD error = GetLastError();
            if (error != ERROR_HANDLE_EOF) return {0, static_cast<int>(error)};
        }
        return {got, 0};
    }

    // An anonymous pipe cannot be waited on, so it is looked into every few
    // milliseconds; a console input is signalled when it has input events.
    // Disk files and whatever else never keep a read waiting.
    bool wait_readable(int fd, int milliseconds) override {
        const HANDLE handle = handle_of(fd);
        switch (GetFileType(handle)) {
            case FILE_TYPE_CHAR:
                return WaitForSingleObject(handle, static_cast<DWORD>(milliseconds)) !=
                       WAIT_TIMEOUT;
            case FILE_TYPE_PIPE: {
                constexpr int kLookEveryMs = 5;
                for (int waited = 0;; waited += kLookEveryMs) {
                    DWORD available = 0;
                    if (!PeekNamedPipe(handle, nullptr, 0, nullptr, &available, nullptr) ||
                        available > 0)
                        return true;
                    if (waited >= milliseconds) return false;
                    Sleep(kLookEveryMs);
                }
            }
            default: return true;
        }
    }

    IoStatus write(int fd, std::span<const std::uint8_t> bytes) override {
        DWORD put = 0;
        if (!WriteFile(handle_of(fd), bytes.data(), chunk_size(bytes.size()), &put, nullptr))
            return {0, static_cast<int>(GetLastError())};
        return {put, 0};
    }

    int fsync(int fd) override { return error_of(FlushFileBuffers(handle_of(fd))); }
    int close(int fd) override {
        {
            const std::lock_guard lock(folders_mutex_);
            folders_.erase(fd);
        }
        return error_of(CloseHandle(handle_of(fd)));
    }

    FdResult duplicate(int fd) override {
        HANDLE copy = INVALID_HANDLE_VALUE;
        const HANDLE process = GetCurrentProcess();
        if (!DuplicateHandle(process, handle_of(fd), process, &copy, 0, FALSE,
                             DUPLICATE_SAME_ACCESS))
            return {-1, static_cast<int>(GetLastError())};
        return fd_result(copy);
    }

    FileInfo stat_fd(int fd) override { return info_of(handle_of(fd)); }

    FileInfo stat_path(const std::string& path) override {
        return info_at(win32::file_path(path), 0);
    }
    FileInfo stat_link(const std::string& path) override {
        return info_at(win32::file_path(path), FILE_FLAG_OPEN_REPARSE_POINT);
    }

    int standard_input() override { return HandleToLong(GetStdHandle(STD_INPUT_HANDLE)); }
    int standard_output() override { return HandleToLong(GetStdHandle(STD_OUTPUT_HANDLE)); }

private:
    std::wstring path_in(int folder, const std::string& name) {
        const std::lock_guard lock(folders_mutex_);
        const auto found = folders_.find(folder);
        const std::wstring base = found == folders_.end() ? std::wstring{} : found->second;
        return base + L"\\" + win32::widen(name);
    }

    std::mutex folders_mutex_;
    std::map<int, std::wstring> folders_;  // the path each folder hold was opened by
};

}  // namespace

OutputFileSystem& system_file_system() {
    static Win32FileSystem file_system;
    return file_system;
}

// Windows has no file size or broken pipe signal: such a write simply fails.
void keep_running_on_write_failures() {}

std::optional<int> descriptor_named(std::string_view) { return std::nullopt; }

}  // namespace brisol
