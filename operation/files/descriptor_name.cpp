// The names the system gives a process for its own descriptors are known by
// the folder they resolve to, not by their spelling: /dev/./stdout,
// /dev//stdout and /dev/../dev/stdout are /dev/stdout, and /proc/<own pid>/fd/3
// is /proc/self/fd/3. Only the entry itself is taken as written, so a link of
// the user's own to /dev/stdout stays a link, replaced like any other.

#include <sys/stat.h>

#include <charconv>
#include <string>

#include "file_system.h"

namespace brisol {
namespace {

bool is_folder(const struct stat& folder, const char* path) {
    struct stat st {};
    return ::stat(path, &st) == 0 && st.st_dev == folder.st_dev && st.st_ino == folder.st_ino;
}

// As the system spells them: decimal digits without a leading zero.
std::optional<int> descriptor_number(std::string_view number) {
    if (number.empty() || (number.size() > 1 && number.front() == '0')) return std::nullopt;
    int fd = -1;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), fd);
    if (error != std::errc{} || end != number.data() + number.size() || fd < 0) return std::nullopt;
    return fd;
}

}  // namespace

std::optional<int> descriptor_named(std::string_view path) {
    if (path.find('\0') != std::string_view::npos) return std::nullopt;
    const std::size_t slash = path.rfind('/');
    const std::string_view entry = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (entry.empty()) return std::nullopt;
    const std::string folder{slash == std::string_view::npos ? "."
                             : slash == 0                    ? "/"
                                                             : path.substr(0, slash)};
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return std::nullopt;
    if (is_folder(st, "/dev")) {
        constexpr std::string_view kStandardNames[] = {"stdin", "stdout", "stderr"};
        for (int fd = 0; fd < 3; ++fd)
            if (entry == kStandardNames[fd]) return fd;
        return std::nullopt;
    }
    if (is_folder(st, "/proc/self/fd") || is_folder(st, "/dev/fd")) return descriptor_number(entry);
    return std::nullopt;
}

}  // namespace brisol
