#include "run_output.h"

#include <chrono>
#include <thread>

#include "messages.h"
#include "platform.h"

namespace brisol {
namespace {

template <class... Ways>
struct Overloaded : Ways... {
    using Ways::operator()...;
};
template <class... Ways>
Overloaded(Ways...) -> Overloaded<Ways...>;

// Opens the device or FIFO, waiting for a FIFO's reader as any writer of a
// FIFO does.
std::string open_device(OutputFileSystem& files, const std::string& path, DeviceOutput& device,
                        const std::atomic<bool>& cancel) {
    constexpr auto kReaderPoll = std::chrono::milliseconds(20);
    for (;;) {
        const FdResult opened = files.open_for_writing(path);
        if (opened.error == 0) {
            device.fd = opened.fd;
            break;
        }
        if (opened.error != platform::kErrorNoReader || device.existing.kind != FileKind::Fifo)
            return messages::file_error(messages::kCannotOpen, path, opened.error);
        // Its reader never came, so it received nothing.
        if (cancel.load()) return messages::cancelled(path);
        std::this_thread::sleep_for(kReaderPoll);
    }
    // Between the look and the open, whoever can write the folder could have
    // put something else under the name.
    const FileInfo opened = files.stat_fd(device.fd);
    if (opened.error != 0 || opened.kind != device.existing.kind ||
        !opened.same_file_as(device.existing))
        return messages::file_error(messages::kCannotOpen, path, messages::kOutputReplaced);
    return {};
}

// The error of closing the device, else 0.
int close_device(OutputFileSystem& files, DeviceOutput& device) {
    const int error = device.fd >= 0 ? files.close(device.fd) : 0;
    device.fd = -1;
    return error;
}

}  // namespace

RunOutput::RunOutput(OutputFileSystem& files, std::string path)
    : files_(files), path_(std::move(path)), kind_(std::in_place_type<FileOutput>, files, path_) {}

RunOutput::~RunOutput() { discard(); }

void RunOutput::write_standard_output() {
    kind_.emplace<StandardOutput>(StandardOutput{files_.standard_output()});
}

void RunOutput::write_descriptor(int fd) { kind_.emplace<DescriptorOutput>(DescriptorOutput{fd}); }

void RunOutput::write_device(const FileInfo& device) {
    kind_.emplace<DeviceOutput>(DeviceOutput{device});
}

CommitStatus RunOutput::create_file(int like, const std::vector<KeptFile>& reads) {
    return std::get<FileOutput>(kind_).temporary.create(like, reads);
}

std::string RunOutput::open(const std::atomic<bool>& cancel) {
    if (auto* device = std::get_if<DeviceOutput>(&kind_))
        return open_device(files_, path_, *device, cancel);
    return {};
}

int RunOutput::fd() const {
    return std::visit(Overloaded{[](const FileOutput& file) { return file.temporary.fd(); },
                                 [](const auto& written_as_made) { return written_as_made.fd; }},
                      kind_);
}

std::string RunOutput::commit() {
    if (auto* file = std::get_if<FileOutput>(&kind_)) {
        const CommitStatus status = file->temporary.commit();
        if (status.read_file != nullptr) return messages::same_file(path_, status.read_file->shown);
        if (!status.failed()) return {};
        const std::string_view verb = status.failed_step == CommitStep::Rename
                                          ? messages::kCannotSave
                                          : messages::kCannotWrite;
        return error(verb, platform::reason(status.error));
    }
    if (auto* device = std::get_if<DeviceOutput>(&kind_)) {
        const int closed = close_device(files_, *device);
        if (closed != 0) return error(messages::kCannotWrite, platform::reason(closed));
    }
    return {};
}

void RunOutput::discard() {
    std::visit(
        Overloaded{[](FileOutput& file) { file.temporary.discard(); },
                   [&](DeviceOutput& device) { close_device(files_, device); }, [](const auto&) {}},
        kind_);
}

std::string RunOutput::name() const {
    return std::holds_alternative<StandardOutput>(kind_) ? std::string{messages::kStandardOutput}
                                                         : path_;
}

std::string RunOutput::error(std::string_view verb, std::string_view why) const {
    return std::holds_alternative<StandardOutput>(kind_)
               ? messages::stream_error(verb, messages::kStandardOutput, why)
               : messages::file_error(verb, path_, why);
}

std::string RunOutput::cancelled() const {
    if (std::holds_alternative<FileOutput>(kind_)) return messages::cancelled(path_);
    if (std::holds_alternative<StandardOutput>(kind_))
        return messages::stopped_partway(messages::kStandardOutput);
    return messages::stopped_partway(messages::quoted_name(path_));
}

}  // namespace brisol
