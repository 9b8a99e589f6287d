#include "operation/temporary_output.h"

#include <random>
#include <string_view>

#include "operation/platform.h"

namespace brisol {
namespace {

// Short, so that it fits wherever the output's own name fits; a leading dot
// keeps it out of ordinary directory listings while it exists.
constexpr std::string_view kTempPrefix = ".brisol-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr int kNameAttempts = 64;

std::string random_tag() {
    static constexpr std::string_view kAlphabet =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    std::string tag(8, ' ');
    for (char& c : tag) c = kAlphabet[pick(device)];
    return tag;
}

// The directory part of a path as open() needs it: "." for a bare name.
std::string directory_of(const std::string& path) {
    const std::size_t slash = path.find_last_of(platform::kDirectoryEnds);
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace

TemporaryOutput::TemporaryOutput(FileSystem& files, std::string final_path)
    : files_(files), final_path_(std::move(final_path)) {}

TemporaryOutput::~TemporaryOutput() { discard(); }

int TemporaryOutput::create() {
    const std::size_t slash = final_path_.find_last_of(platform::kDirectoryEnds);
    const std::string prefix =
        (slash == std::string::npos ? std::string{} : final_path_.substr(0, slash + 1)) +
        std::string{kTempPrefix};
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string candidate = prefix + random_tag() + std::string{kTempSuffix};
        const FdResult made = files_.create_new(candidate);
        if (made.error == platform::kErrorExists) continue;
        if (made.error != 0) return made.error;
        fd_ = made.fd;
        temp_path_ = std::move(candidate);
        exists_ = true;
        return 0;
    }
    return platform::kErrorExists;
}

CommitStatus TemporaryOutput::commit() {
    CommitStatus status;
    if (const int error = files_.fsync(fd_); error != 0) {
        status = {CommitStep::Flush, error};
    } else {
        const int error_on_close = files_.close(fd_);
        fd_ = -1;
        if (error_on_close != 0) {
            status = {CommitStep::Close, error_on_close};
        } else if (const int error_on_rename = files_.rename(temp_path_, final_path_);
                   error_on_rename != 0) {
            status = {CommitStep::Rename, error_on_rename};
        }
    }
    if (status.error != 0) {
        discard();
        return status;
    }
    exists_ = false;
    // The data is already safe; flushing the directory makes the new name
    // survive a power cut too. It cannot be undone if it fails, so a failure
    // here changes nothing about the result.
    const FdResult directory = files_.open_directory(directory_of(final_path_));
    if (directory.error == 0) {
        files_.fsync(directory.fd);
        files_.close(directory.fd);
    }
    return status;
}

void TemporaryOutput::discard() {
    if (fd_ >= 0) {
        files_.close(fd_);
        fd_ = -1;
    }
    if (exists_) {
        files_.unlink(temp_path_);
        exists_ = false;
    }
}

}  // namespace brisol
