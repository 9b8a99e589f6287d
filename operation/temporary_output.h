#pragma once
// The output is written under a hidden temporary name in its own directory
// and takes its real name only once every byte is on disk. Until then an
// existing file of that name stays as it was, and a failed or stopped
// operation leaves nothing behind.

#include <string>

#include "operation/file_system.h"

namespace brisol {

enum class CommitStep { Done, Flush, Close, Rename };

struct CommitStatus {
    CommitStep failed_step = CommitStep::Done;
    int error = 0;
};

class TemporaryOutput {
public:
    TemporaryOutput(FileSystem& files, std::string final_path);
    ~TemporaryOutput();  // discards whatever was not committed
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;

    // Creates the temporary file; the errno value on failure, else 0.
    int create();
    int fd() const { return fd_; }

    // Flushes, closes and renames onto the final name. On failure the
    // temporary file is removed.
    CommitStatus commit();
    // Closes and removes the temporary file.
    void discard();

private:
    FileSystem& files_;
    std::string final_path_;
    std::string temp_path_;
    int fd_ = -1;
    bool exists_ = false;
};

}  // namespace brisol
