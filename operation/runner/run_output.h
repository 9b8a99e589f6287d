#pragma once
// Where a run's result goes, and how it is finished. Only a file made under
// the output's name waits for the end to take that name; every other kind is
// written where it is as the result is made, so a run that stops partway has
// already changed it. Of those, only a device or FIFO is opened here, by the
// worker, since a FIFO's reader may come late; so only its close can fail
// late, which is a failed write. Standard output and the process's own
// descriptors belong to the process and stay open.

#include <atomic>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "output_file_system.h"
#include "temporary_output.h"

namespace brisol {

// A new file that replaces whatever has the name once it is complete.
struct FileOutput {
    FileOutput(OutputFileSystem& files, const std::string& path) : temporary(files, path) {}
    TemporaryOutput temporary;
};

// One of the process's own descriptors, named as a file (/dev/fd/N).
struct DescriptorOutput {
    int fd;
};

// A character device or FIFO, opened by the worker and closed here.
struct DeviceOutput {
    FileInfo existing;  // as it was examined, so that a replacement is noticed
    int fd = -1;
};

struct StandardOutput {
    int fd;
};

class RunOutput {
public:
    // A file under `path` until the output turns out to be of another kind.
    RunOutput(OutputFileSystem& files, std::string path);
    ~RunOutput();  // discards an unfinished file, closes a device
    RunOutput(const RunOutput&) = delete;
    RunOutput& operator=(const RunOutput&) = delete;

    void write_standard_output();
    void write_descriptor(int fd);
    void write_device(const FileInfo& device);
    // Creates the file; see TemporaryOutput::create.
    CommitStatus create_file(int like, const std::vector<KeptFile>& reads);

    // Opens a device, waiting for a FIFO's reader until `cancel` is set; the
    // message when it cannot, else empty. Nothing to do for the other kinds.
    std::string open(const std::atomic<bool>& cancel);
    int fd() const;

    // Puts a complete result in place; the message when that fails, else empty.
    std::string commit();
    // Removes an unfinished file and closes a device; a committed output stays.
    void discard();

    const std::string& path() const { return path_; }
    std::string name() const;  // as the user is told it
    std::string error(std::string_view verb, std::string_view why) const;
    // What a cancel did to the output.
    std::string cancelled() const;

private:
    OutputFileSystem& files_;
    std::string path_;
    std::variant<FileOutput, DescriptorOutput, DeviceOutput, StandardOutput> kind_;
};

}  // namespace brisol
