#pragma once
// The output takes its real name only once every byte is on disk; until then
// an existing file of that name stays as it was. Where the file system allows
// it the output has no name at all while it is written, so a process that
// dies leaves nothing. Elsewhere it is written under a hidden name
// (.brisol-XXXXXXXX.tmp) and held while the process lives; every new output
// first removes the hidden files of that pattern in its folder that no live
// process holds, and only those that can be what a run of this user left: a
// regular file with no other name.

#include <string>

#include "operation/files/output_file_system.h"

namespace brisol {

// Rename: the finished output could not take its name.
enum class CommitStep { Done, Flush, Close, Rename };

struct CommitStatus {
    CommitStep failed_step = CommitStep::Done;
    int error = 0;
};

class TemporaryOutput {
public:
    TemporaryOutput(OutputFileSystem& files, std::string final_path);
    ~TemporaryOutput();  // discards whatever was not committed
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;

    // Removes the leftovers of dead runs in the output's folder, then creates
    // the output with the permissions of `like` (see FileSystem::create_new);
    // the system's error number on failure, else 0.
    int create(int like);
    int fd() const { return fd_; }

    // Flushes, closes and puts the output under its final name. On failure
    // nothing of it is left.
    CommitStatus commit();
    // Closes and removes the unfinished output.
    void discard();

private:
    int create_hidden(int like);
    int name_hidden();
    CommitStatus put_in_place();
    CommitStatus replace_final();
    std::string hidden_candidate() const;

    OutputFileSystem& files_;
    std::string final_path_;
    std::string directory_;
    std::string temp_path_;
    int fd_ = -1;
    bool unnamed_ = false;  // fd_ is an output without a name yet
    bool exists_ = false;   // temp_path_ names the output
};

}  // namespace brisol
