#include "operation/runner/output_target.h"

#include "operation/files/platform.h"
#include "operation/messages/messages.h"

namespace brisol {
namespace {

// Root's devices (/dev/null, /dev/tty) and the user's own FIFOs and terminals.
bool trusted(const FileInfo& info) { return info.owned_by_user || info.owner == 0; }

OutputTarget refused(const std::string& path, std::string_view why) {
    OutputTarget target;
    target.refusal = messages::file_error(messages::kCannotCreate, path, why);
    return target;
}

OutputTarget refused(const std::string& path, int error) { return refused(path, platform::reason(error)); }

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
            return {OutputWay::ReplaceFile, info, -1, {}};
        case FileKind::Symlink: {
            // A link to a folder was refused before links were replaced, and
            // still is: the run was more likely meant to go into it.
            const FileInfo target = files.stat_path(path);
            if (target.error == 0 && target.kind == FileKind::Directory)
                return refused(path, platform::kErrorIsDirectory);
            if (target.error != 0 && target.error != platform::kErrorNotFound) return refused(path, target.error);
            return {OutputWay::NewFile, info, -1, {}};
        }
        case FileKind::CharacterDevice:
        case FileKind::Fifo:
            if (!trusted(info)) return refused(path, messages::kOthersDevice);
            return {OutputWay::Device, info, -1, {}};
        case FileKind::Directory:
            return refused(path, platform::kErrorIsDirectory);
        case FileKind::BlockDevice:
            return refused(path, messages::kIsBlockDevice);
        case FileKind::Socket:
            return refused(path, messages::kIsSocket);
        case FileKind::Other:
            break;
    }
    return refused(path, messages::kNotRegularFile);
}

}  // namespace brisol
