#pragma once
// The file calls an output needs so that it is never seen unfinished, never
// left behind by a run that died and never put in another folder than the
// one that was checked, named by what they are for so that each platform
// supplies its own way: a hold on the output's folder through which every
// later name is looked up, an output without a name until it is complete,
// and a hold that tells a live writer's hidden file from a dead one's
// leftover. temporary_output.h builds the output's way to its name on them.

#include <cstdint>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "file_system.h"

namespace brisol {

class OutputFileSystem : public FileSystem {
public:
    // A hold on a folder that stays on the folder it opened when the path is
    // later renamed or pointed elsewhere; the calls below that take a
    // `folder` look names up in it, never by path again. Closed with close().
    virtual FdResult open_folder(const std::string& path) = 0;
    // Creates a new file of that name in the folder, one that did not exist
    // (fails with kErrorExists otherwise), write-only. `like` is the
    // descriptor of the file whose permissions it takes (on POSIX no more
    // than its permission bits less the umask and read and write for the
    // user alone, until open_up(); on Windows its security descriptor where
    // that can be read), or -1 for the system's defaults.
    virtual FdResult create_in(int folder, const std::string& name, int like) = 0;
    // An output that has no name yet in the folder, write-only, so that
    // nothing is left of it if the process dies before give_name(), with
    // the permissions of `like` as create_in() gives them.
    // Fails with kErrorNotSupported where the file system or the platform has no
    // such files (callers then write under a hidden name instead).
    virtual FdResult create_unnamed(int folder, int like) = 0;
    // Gives an unnamed output a name in its folder; kErrorExists when the name
    // is taken, which is never replaced.
    virtual int give_name(int fd, int folder, const std::string& name) = 0;
    // Follows a symbolic link at the name, as stat_path() does.
    virtual FileInfo stat_in(int folder, const std::string& name) = 0;
    // Sees a symbolic link at the name as itself, as stat_link() does.
    virtual FileInfo stat_link_in(int folder, const std::string& name) = 0;
    // Replaces `to` with `from` whole, both names in the folder.
    virtual int rename_in(int folder, const std::string& from, const std::string& to) = 0;
    virtual int unlink_in(int folder, const std::string& name) = 0;
    virtual NamesResult list_folder(int folder) = 0;
    // Makes the folder's entries survive a power cut; 0 where the platform
    // does that itself.
    virtual int flush_folder(int folder) = 0;

    // A complete output just before it takes its name: no more open than
    // `like` (the input as stat_fd() saw it, or nothing for none) and the process's file
    // creation mask allow, and, when `replaced` is the user's own regular
    // file, no more open than it either and in its group where the process
    // may give that. Until this call an output is open to its user alone.
    // Does nothing where the platform keeps no such attributes (Windows). The
    // system's error number of the mode's change, else 0.
    virtual int open_up(int fd, const std::optional<FileInfo>& like, const FileInfo& replaced) = 0;

    // Marks an open output as held by this live process until its last
    // descriptor is closed: claim() fails on it meanwhile. Waits for a
    // claim() of another process to end.
    virtual int hold(int fd) = 0;
    // Opens a leftover file of the folder for removal, only if no live
    // process holds it: an error when one does or when it is a symbolic link,
    // and a descriptor that keeps other claims away while the caller removes
    // the file.
    virtual FdResult claim(int folder, const std::string& name) = 0;

    // True the first time it is asked about a folder (by what stat_fd() says
    // of its hold), false ever after: the sweep of leftovers lists each
    // folder once, however many outputs go there.
    bool first_sweep_of(const FileInfo& folder) {
        const std::lock_guard lock(swept_mutex_);
        return swept_.emplace(folder.device, folder.inode).second;
    }

private:
    std::mutex swept_mutex_;
    std::set<std::pair<std::uint64_t, std::uint64_t>> swept_;
};

// The real file system through the platform's calls (POSIX or Win32); lives
// for the whole process.
OutputFileSystem& system_file_system();

}  // namespace brisol
