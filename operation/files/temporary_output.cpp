#include "temporary_output.h"

#include "hidden_name.h"
#include "path_parts.h"
#include "platform.h"

namespace brisol {
namespace {

constexpr int kNameAttempts = 64;

bool names_the_same_file(OutputFileSystem& files, int folder, const std::string& name, int fd) {
    const FileInfo named = files.stat_in(folder, name);
    const FileInfo open = files.stat_fd(fd);
    return named.error == 0 && open.error == 0 && named.same_file_as(open);
}

// What a run of this user can have left: a hard link of a hidden name to
// someone's file, or another user's file in a shared folder, only looks like
// one.
bool may_be_own_leftover(const FileInfo& info) {
    return info.error == 0 && info.kind == FileKind::Regular && info.links == 1 &&
           info.owned_by_user;
}

}  // namespace

TemporaryOutput::TemporaryOutput(OutputFileSystem& files, std::string final_path)
    : files_(files), final_name_(name_in_folder(final_path)), directory_(folder_of(final_path)) {}

TemporaryOutput::~TemporaryOutput() {
    discard();
    release_folder();
}

void TemporaryOutput::release_folder() {
    if (folder_ >= 0) files_.close(folder_);
    folder_ = -1;
}

const KeptFile* TemporaryOutput::read_file_at_name() const {
    return find_kept_file(*reads_, files_.stat_in(folder_, final_name_));
}

// Hidden outputs of runs that died: what no live process holds and the run
// does not read. A failure to list, open or remove one only leaves it for a
// later run.
void TemporaryOutput::sweep_leftovers() {
    if (!files_.first_sweep_of(files_.stat_fd(folder_))) return;
    for (const std::string& name : files_.list_folder(folder_).names) {
        if (!is_hidden_output_name(name)) continue;
        const FdResult claimed = files_.claim(folder_, name);
        if (claimed.error != 0) continue;
        const FileInfo info = files_.stat_fd(claimed.fd);
        // The name may have been given to another file since it was listed.
        if (may_be_own_leftover(info) && find_kept_file(*reads_, info) == nullptr &&
            names_the_same_file(files_, folder_, name, claimed.fd))
            files_.unlink_in(folder_, name);
        files_.close(claimed.fd);
    }
}

CommitStatus TemporaryOutput::create(int like, const std::vector<KeptFile>& reads) {
    reads_ = &reads;
    if (like >= 0) like_ = files_.stat_fd(like);
    const FdResult folder = files_.open_folder(directory_);
    if (folder.error != 0) return {CommitStep::Rename, folder.error};
    folder_ = folder.fd;
    if (const KeptFile* read = read_file_at_name()) return {CommitStep::Rename, 0, read};
    sweep_leftovers();
    const FdResult unnamed = files_.create_unnamed(folder_, like);
    if (unnamed.error == platform::kErrorNotSupported) return create_hidden(like);
    if (unnamed.error != 0) return {CommitStep::Rename, unnamed.error};
    fd_ = unnamed.fd;
    unnamed_ = true;
    // Held from the start: should it take a hidden name on the way to the
    // final one, no sweep may take it for a leftover.
    if (const int error = files_.hold(fd_); error != 0) {
        discard();
        return {CommitStep::Rename, error};
    }
    return {};
}

CommitStatus TemporaryOutput::create_hidden(int like) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string candidate = hidden_output_name();
        const FdResult made = files_.create_in(folder_, candidate, like);
        if (made.error == platform::kErrorExists) continue;
        if (made.error != 0) return {CommitStep::Rename, made.error};
        fd_ = made.fd;
        temp_name_ = std::move(candidate);
        exists_ = true;
        if (const int error = files_.hold(fd_); error != 0) {
            discard();
            return {CommitStep::Rename, error};
        }
        // Another run's sweep may have removed the file between its creation
        // and the hold; the name is then no longer ours to remove.
        if (names_the_same_file(files_, folder_, temp_name_, fd_)) return {};
        exists_ = false;
        discard();
    }
    return {CommitStep::Rename, platform::kErrorExists};
}

int TemporaryOutput::name_hidden() {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string candidate = hidden_output_name();
        const int error = files_.give_name(fd_, folder_, candidate);
        if (error == platform::kErrorExists) continue;
        if (error != 0) return error;
        temp_name_ = std::move(candidate);
        exists_ = true;
        unnamed_ = false;
        return 0;
    }
    return platform::kErrorExists;
}

CommitStatus TemporaryOutput::commit() {
    const CommitStatus status = put_in_place();
    if (status.failed()) {
        discard();
        return status;
    }
    // The data is already safe; flushing the directory makes the new name
    // survive a power cut too. It cannot be undone if it fails, so a failure
    // here changes nothing about the result.
    (void)files_.flush_folder(folder_);
    return status;
}

CommitStatus TemporaryOutput::put_in_place() {
    if (const int error = files_.fsync(fd_); error != 0) return {CommitStep::Flush, error};
    // Whoever can write the folder may have put another name of a file the
    // run reads there while it ran.
    if (const KeptFile* read = read_file_at_name()) return {CommitStep::Rename, 0, read};
    if (const int error = files_.open_up(fd_, like_, files_.stat_link_in(folder_, final_name_));
        error != 0)
        return {CommitStep::Flush, error};
    if (unnamed_) {
        const int named = files_.give_name(fd_, folder_, final_name_);
        if (named == 0) {
            // No file had the name, so removing it again leaves the folder as
            // it was when closing reports a late write error.
            unnamed_ = false;
            const int error_on_close = files_.close(fd_);
            fd_ = -1;
            if (error_on_close == 0) return {};
            files_.unlink_in(folder_, final_name_);
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
    } else if (const int error = files_.rename_in(folder_, temp_name_, final_name_); error != 0) {
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
        files_.unlink_in(folder_, temp_name_);
        exists_ = false;
    }
    if (fd_ >= 0) {
        files_.close(fd_);
        fd_ = -1;
    }
    unnamed_ = false;
}

}  // namespace brisol
