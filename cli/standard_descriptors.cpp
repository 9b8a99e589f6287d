#include "standard_descriptors.h"

#include <optional>
#include <vector>

#include "cli_texts.h"
#include "console.h"
#include "output_file_system.h"
#include "messages.h"

namespace brisol::cli {
namespace {

constexpr int kErrorDescriptor = 2;

// The descriptor FILE's result is written through, when it is one.
std::optional<int> output_descriptor(const CliOptions& options, const std::string& file) {
    if (output_is_standard(options, file)) return 1;
    if (options.output) return descriptor_named(*options.output);
    return std::nullopt;
}

// Every descriptor the run reads or writes: data, passwords and results.
std::vector<int> descriptors_used(const CliOptions& options) {
    std::vector<int> used;
    for (const std::string& file : options.files) {
        if (file == kStandardStream)
            used.push_back(0);
        else if (const std::optional<int> number = descriptor_named(file))
            used.push_back(*number);
        if (const std::optional<int> number = output_descriptor(options, file))
            used.push_back(*number);
    }
    if (options.password_fd) {
        used.push_back(*options.password_fd);
    } else if (options.password_file) {
        if (const std::optional<int> number = descriptor_named(*options.password_file))
            used.push_back(*number);
    } else if (!reads_standard_input(options)) {
        used.push_back(0);
    }
    return used;
}

}  // namespace

std::string descriptor_shown(int number) {
    constexpr std::string_view kStandardNames[] = {messages::kStandardInput,
                                                   messages::kStandardOutput, kStandardError};
    if (number <= kErrorDescriptor) return std::string{kStandardNames[number]};
    return std::string{kDescriptor} + std::to_string(number);
}

bool same_file(const FileInfo& a, const FileInfo& b) {
    return a.error == 0 && b.error == 0 && a.kind != FileKind::CharacterDevice && a.inode != 0 &&
           a.same_file_as(b);
}

std::string descriptor_refusal(const CliOptions& options) {
    for (const int number : descriptors_used(options))
        if (descriptor_closed(number)) return descriptor_shown(number) + std::string{kIsClosed};
    FileSystem& files = system_file_system();
    const FileInfo messages_go_to = files.stat_fd(passed_source(kErrorDescriptor).descriptor);
    for (const std::string& file : options.files) {
        const std::optional<int> number = output_descriptor(options, file);
        if (!number) continue;
        const std::string shown = options.output && *options.output != kStandardStream
                                      ? messages::quoted_name(*options.output)
                                      : std::string{messages::kStandardOutput};
        if (descriptor_is_terminal(*number)) return shown + std::string{kIsTerminal};
        if (same_file(files.stat_fd(passed_source(*number).descriptor), messages_go_to))
            return shown + std::string{kSameFileAs} + std::string{kStandardError} +
                   std::string{kCarriesTheMessages};
    }
    return {};
}

}  // namespace brisol::cli
