#include "path_parts.h"

#include "platform.h"

namespace brisol {

std::string folder_of(const std::string& path) {
    const std::size_t slash = path.find_last_of(platform::kDirectoryEnds);
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string name_in_folder(const std::string& path) {
    const std::size_t slash = path.find_last_of(platform::kDirectoryEnds);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace brisol
