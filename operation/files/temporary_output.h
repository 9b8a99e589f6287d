#pragma once
// The output takes its real name only once every byte is on disk; until then
// an existing file of that name stays as it was. Where the file system allows
// it the output has no name at all while it is written, so a process that
// dies leaves nothing. Elsewhere it is written under a hidden name
// (.brisol-XXXXXXXX.tmp) and held while the process lives; the first output
// of a process in a folder first removes the hidden files of that pattern
// there that no live process holds, and only those that can be what a run of
// this user left: a regular file with no other name, and none the run reads.
// Either way the output is its user's alone until complete.
//
// The folder is held from the start and every name is looked up in it, so a
// folder renamed or replaced by a link meanwhile cannot send the output
// elsewhere: it lands in the folder that was checked. Right before it takes
// its name, the name is checked again against every file the run reads.

#include <optional>
#include <string>
#include <vector>

#include "output_file_system.h"

namespace brisol {

// Rename: the finished output could not take its name.
enum class CommitStep { Done, Flush, Close, Rename };

struct CommitStatus {
    CommitStep failed_step = CommitStep::Done;
    int error = 0;
    // The file the run reads that the output's name has come to name; the
    // output was then discarded.
    const KeptFile* read_file = nullptr;

    bool failed() const { return error != 0 || read_file != nullptr; }
};

class TemporaryOutput {
public:
    TemporaryOutput(OutputFileSystem& files, std::string final_path);
    ~TemporaryOutput();  // discards whatever was not committed
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;

    // Holds the output's folder, refuses a name that is one of `reads` (which
    // must outlive the output), removes the leftovers of dead runs, then
    // creates the output with the permissions of `like` (see
    // OutputFileSystem::create_in). The failed_step is Done on success.
    CommitStatus create(int like, const std::vector<KeptFile>& reads);
    int fd() const { return fd_; }

    // Flushes, closes and puts the output under its final name. On failure
    // nothing of it is left.
    CommitStatus commit();
    // Closes and removes the unfinished output.
    void discard();

private:
    CommitStatus create_hidden(int like);
    int name_hidden();
    CommitStatus put_in_place();
    CommitStatus replace_final();
    const KeptFile* read_file_at_name() const;
    void sweep_leftovers();
    void release_folder();

    OutputFileSystem& files_;
    std::string final_name_;
    std::string directory_;
    std::string temp_name_;
    const std::vector<KeptFile>* reads_ = nullptr;
    std::optional<FileInfo> like_;  // the input, as the output was created
    int folder_ = -1;
    int fd_ = -1;
    bool unnamed_ = false;  // fd_ is an output without a name yet
    bool exists_ = false;   // temp_name_ names the output
};

}  // namespace brisol
