#include "register_after.h"

#include <array>

#include "layout.h"
#include "platform.h"
#include "input_refusal.h"
#include "messages.h"

namespace brisol {
namespace {

RegisterAfterResult examine(const std::string& path, FileSystem& files, int fd) {
    const FileInfo info = files.stat_fd(fd);
    if (const std::string why = input_refusal(info); !why.empty())
        return {{}, messages::file_error(messages::kCannotOpen, path, why)};
    const std::optional<std::uint64_t> offset = last_feedback_block_offset(info.size);
    if (!offset) return {{}, messages::no_full_chunk(path)};

    std::array<std::uint8_t, kBlockSize> block{};
    std::size_t got = 0;
    while (got < block.size()) {
        const IoStatus read = files.read_at(fd, std::span(block).subspan(got), *offset + got);
        if (read.error == platform::kErrorInterrupted) continue;
        if (read.error != 0)
            return {{}, messages::file_error(messages::kCannotRead, path, read.error)};
        if (read.bytes == 0)
            return {{}, messages::file_error(messages::kCannotRead, path, messages::kInputChanged)};
        got += read.bytes;
    }
    return {FeedbackRegister::from_block(block), {}};
}

}  // namespace

RegisterAfterResult register_after(const std::string& previous_path, FileSystem& files) {
    const FdResult opened = files.open_read(previous_path);
    if (opened.error != 0)
        return {{}, messages::file_error(messages::kCannotOpen, previous_path, opened.error)};
    RegisterAfterResult result = examine(previous_path, files, opened.fd);
    files.close(opened.fd);
    return result;
}

}  // namespace brisol
