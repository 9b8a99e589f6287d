#pragma once
// How an output name is written, from what the name is when the run starts.
// A regular file, or a name not taken, gets a new file that replaces it whole
// once complete (temporary_output.h). A character device or a FIFO is written
// where it is: replacing it would destroy it, and its reader sees the result
// as it is made anyway. A symbolic link is replaced, never followed, so that
// whoever can write a folder cannot point a run at another file; the names
// the system gives a process for its own descriptors (/dev/stdout, /dev/fd/N)
// are the one exception, written through that descriptor as standard output
// is. For the same reason a device or FIFO of another user is refused, as is
// whatever cannot take a result at all (a directory, a socket, a block device),
// and a file or link of another user in a sticky folder, where the rename
// that replaces it would fail only once the result is made.

#include <string>

#include "file_system.h"

namespace brisol {

enum class OutputWay {
    NewFile,      // nothing of that name, or a symbolic link: replaced by a new file
    ReplaceFile,  // a regular file: replaced by one of the user's own, no more open than the input
    Device,       // a character device or FIFO, opened and written where it is
    Descriptor,   // one of the process's own descriptors, written as it is
};

struct OutputTarget {
    OutputWay way = OutputWay::NewFile;
    FileInfo existing;    // what the name is now; for Descriptor, what the descriptor is
    int descriptor = -1;  // for Descriptor
    std::string
        refusal;  // for the user, naming the output and the reason; empty when it can be written
};

OutputTarget examine_output(FileSystem& files, const std::string& path);

}  // namespace brisol
