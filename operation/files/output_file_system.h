#pragma once
// The file calls an output needs so that it is never seen unfinished and
// never left behind by a run that died, named by what they are for so that
// each platform supplies its own way: an output without a name until it is
// complete, and a hold that tells a live writer's hidden file from a dead
// one's leftover. temporary_output.h builds the output's way to its name on
// them.

#include <string>

#include "operation/files/file_system.h"

namespace brisol {

class OutputFileSystem : public FileSystem {
public:
    // An output that has no name yet in the given directory, write-only, so
    // that nothing is left of it if the process dies before give_name(), with
    // the permissions of `like` as create_new() gives them.
    // Fails with kErrorNotSupported where the file system or the platform has no
    // such files (callers then write under a hidden name instead).
    virtual FdResult create_unnamed(const std::string& directory, int like) = 0;
    // Gives an unnamed output a name in its directory; kErrorExists when the name
    // is taken, which is never replaced.
    virtual int give_name(int fd, const std::string& path) = 0;

    // Marks an open output as held by this live process until its last
    // descriptor is closed: claim() fails on it meanwhile. Waits for a
    // claim() of another process to end.
    virtual int hold(int fd) = 0;
    // Opens a leftover file for removal, only if no live process holds it:
    // an error when one does or when it is a symbolic link, and a descriptor
    // that keeps other claims away while the caller removes the file.
    virtual FdResult claim(const std::string& path) = 0;
};

// The real file system through the platform's calls (POSIX or Win32); lives
// for the whole process.
OutputFileSystem& system_file_system();

}  // namespace brisol
