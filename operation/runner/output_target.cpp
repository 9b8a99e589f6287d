#include "output_target.h"

#include "path_parts.h"
#include "platform.h"
#include "messages.h"

namespace brisol {
namespace {

// Root's devices (/dev/null, /dev/tty) and the user's own FIFOs and terminals.
bool trusted(const FileInfo& info) { return info.owned_by_user || info.owner == 0; }

OutputTarget refused(const std::string& path, std::string_view why) {
    OutputTarget target;
    target.refusal = messages::file_error(messages::kCannotCreate, path, why);
    return target;
}

OutputTarget refused(const std::string& path, int error) {
    return refused(path, platform::reason(error));
}

// An output replaces what has the name by renaming over it, which a sticky
// folder allows only to the entry's owner, the folder's owner and root.
bool others_entry_kept(FileSystem& files, const std::string& path, const FileInfo& entry) {
    return !entry.owned_by_user && files.stat_path(folder_of(path)).keeps_others_entries;
}

}  // namespace

OutputTarget examine_output(FileSystem& files, const std::string& path) {
    if (const std::optional<int> descriptor = descriptor_named(path)) {
        const FileInfo info = files.stat_fd(*descriptor);
        if (info.error != 0) return refused(path, info.error);
        return {OutputWay::Descriptor, info, *descriptor, {}};
    }
    const FileInfo info = files.stat_link(path);
    if (info.error == platform::kErrorNotFound) return {OutputWay::NewFile, info, -1, {}};
    if (info.error != 0) return refused(path, info.error);
    switch (info.kind) {
        case FileKind::Regular:
            if (others_entry_kept(files, path, info))
                return refused(path, messages::kOthersEntryInSharedFolder);
            return {OutputWay::ReplaceFile, info, -1, {}};
        case FileKind::Symlink: {
            // A link to a folder was refused before links were replaced, and
            // still is: the run was more likely meant to go into it. Any other
            // link, a dangling one or a loop included, is replaced.
            const FileInfo target = files.stat_path(path);
            if (target.error == 0 && target.kind == FileKind::Directory)
                return refused(path, platform::kErrorIsDirectory);
            if (others_entry_kept(files, path, info))
                return refused(path, messages::kOthersEntryInSharedFolder);
            return {OutputWay::NewFile, info, -1, {}};
        }
        case FileKind::CharacterDevice:
        case FileKind::Fifo:
            if (!trusted(info)) return refused(path, messages::kOthersDevice);
            return {OutputWay::Device, info, -1, {}};
        case FileKind::Directory: return refused(path, platform::kErrorIsDirectory);
        case FileKind::BlockDevice: return refused(path, messages::kIsBlockDevice);
        case FileKind::Socket: return refused(path, messages::kIsSocket);
        case FileKind::Other: break;
    }
    return refused(path, messages::kNotRegularFile);
}

}  // namespace brisol
