#include "operation/files/temporary_output.h"

#include "operation/files/hidden_name.h"
#include "operation/files/platform.h"

namespace brisol {
namespace {

constexpr int kNameAttempts = 64;

// The directory part of a path as open() needs it: "." for a bare name.
std::string directory_of(const std::string& path) {
    const std::size_t slash = path.find_last_of(platform::kDirectoryEnds);
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool names_the_same_file(FileSystem& files, const std::string& path, int fd) {
    const FileInfo named = files.stat_path(path);
    const FileInfo open = files.stat_fd(fd);
    return named.error == 0 && open.error == 0 && named.same_file_as(open);
}

// What a run of this user can have left: a hard link of a hidden name to
// someone's file, or another user's file in a shared folder, only looks like
// one.
bool may_be_own_leftover(const FileInfo& info) {
    return info.error == 0 && info.kind == FileKind::Regular && info.links == 1 && info.owned_by_user;
}

// Hidden outputs of runs that died: what no live process holds. A failure to
// list, open or remove one only leaves it for a later run.
void sweep_leftovers(OutputFileSystem& files, const std::string& directory) {
    for (const std::string& name : files.list_directory(directory).names) {
        if (!is_hidden_output_name(name)) continue;
        const std::string path = directory + "/" + name;
        const FdResult claimed = files.claim(path);
        if (claimed.error != 0) continue;
        // The name may have been given to another file since it was listed.
        if (may_be_own_leftover(files.stat_fd(claimed.fd)) && names_the_same_file(files, path, claimed.fd))
            files.unlink(path);
        files.close(claimed.fd);
    }
}

}  // namespace

TemporaryOutput::TemporaryOutput(OutputFileSystem& files, std::string final_path)
    : files_(files), final_path_(std::move(final_path)), directory_(directory_of(final_path_)) {}

TemporaryOutput::~TemporaryOutput() { discard(); }

std::string TemporaryOutput::hidden_candidate() const {
    const std::size_t slash = final_path_.find_last_of(platform::kDirectoryEnds);
    const std::string folder = slash == std::string::npos ? std::string{} : final_path_.substr(0, slash + 1);
    return folder + hidden_output_name();
}

int TemporaryOutput::create(int like) {
    sweep_leftovers(files_, directory_);
    const FdResult unnamed = files_.create_unnamed(directory_, like);
    if (unnamed.error == platform::kErrorNotSupported) return create_hidden(like);
    if (unnamed.error != 0) return unnamed.error;
    fd_ = unnamed.fd;
    unnamed_ = true;
    // Held from the start: should it take a hidden name on the way to the
    // output name, no other run may take it for a leftover.
    if (const int error = files_.hold(fd_); error != 0) {
        discard();
        return error;
    }
    return 0;
}

int TemporaryOutput::create_hidden(int like) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string candidate = hidden_candidate();
        const FdResult made = files_.create_new(candidate, like);
        if (made.error == platform::kErrorExists) continue;
        if (made.error != 0) return made.error;
        fd_ = made.fd;
        temp_path_ = std::move(candidate);
        exists_ = true;
        if (const int error = files_.hold(fd_); error != 0) {
            discard();
            return error;
        }
        // Another run's sweep may have removed the file between its creation
        // and the hold; the name is then no longer ours to remove.
        if (names_the_same_file(files_, temp_path_, fd_)) return 0;
        exists_ = false;
        discard();
    }
    return platform::kErrorExists;
}

int TemporaryOutput::name_hidden() {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string candidate = hidden_candidate();
        const int error = files_.give_name(fd_, candidate);
        if (error == platform::kErrorExists) continue;
        if (error != 0) return error;
        temp_path_ = std::move(candidate);
        exists_ = true;
        unnamed_ = false;
        return 0;
    }
    return platform::kErrorExists;
}

CommitStatus TemporaryOutput::commit() {
    const CommitStatus status = put_in_place();
    if (status.error != 0) {
        discard();
        return status;
    }
    // The data is already safe; flushing the directory makes the new name
    // survive a power cut too. It cannot be undone if it fails, so a failure
    // here changes nothing about the result.
    const FdResult directory = files_.open_directory(directory_);
    if (directory.error == 0) {
        files_.fsync(directory.fd);
        files_.close(directory.fd);
    }
    return status;
}

CommitStatus TemporaryOutput::put_in_place() {
    if (const int error = files_.fsync(fd_); error != 0) return {CommitStep::Flush, error};
    if (unnamed_) {
        const int named = files_.give_name(fd_, final_path_);
        if (named == 0) {
            // No file had the name, so removing it again leaves the folder as
            // it was when closing reports a late write error.
            unnamed_ = false;
            const int error_on_close = files_.close(fd_);
            fd_ = -1;
            if (error_on_close == 0) return {};
            files_.unlink(final_path_);
            return {CommitStep::Close, error_on_close};
        }
        if (named != platform::kErrorExists) return {CommitStep::Rename, named};
        if (const int error = name_hidden(); error != 0) return {CommitStep::Rename, error};
    }
    return replace_final();
}

// From the hidden name onto the final one in one rename, so an existing
// output is replaced whole or not at all.
CommitStatus TemporaryOutput::replace_final() {
    // The hold must outlast the close that reports late write errors, or a
    // sweep could take the hidden file for a leftover before the rename.
    const FdResult keeper = files_.duplicate(fd_);
    if (keeper.error != 0) return {CommitStep::Rename, keeper.error};
    CommitStatus status;
    const int error_on_close = files_.close(fd_);
    fd_ = keeper.fd;
    if (error_on_close != 0) {
        status = {CommitStep::Close, error_on_close};
    } else if (const int error = files_.rename(temp_path_, final_path_); error != 0) {
        status = {CommitStep::Rename, error};
    } else {
        exists_ = false;
    }
    if (status.error == 0) {
        files_.close(fd_);
        fd_ = -1;
    }
    return status;
}

void TemporaryOutput::discard() {
    // Removed while still held, so that no sweep sees it unheld.
    if (exists_) {
        files_.unlink(temp_path_);
        exists_ = false;
    }
    if (fd_ >= 0) {
        files_.close(fd_);
        fd_ = -1;
    }
    unnamed_ = false;
}

}  // namespace brisol
