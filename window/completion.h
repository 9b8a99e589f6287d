#pragma once
// What the end of an operation shows and how far one has come, the same in
// every face: the windows and the browser page, which shows the window's
// texts without its runner.

#include <cstdint>
#include <optional>
#include <string>

#include "operation_request.h"

namespace brisol {

// What a message box marks its message as.
enum class MessageKind { Information, Warning, Error };

struct Message {
    std::string text;
    MessageKind kind = MessageKind::Information;
};

// The message an operation's end shows; nothing for a cancel without a message.
std::optional<Message> completion_message(const OperationResult& result);

// A Decrypt whose result looks random most likely had a wrong password, and
// the window stays open for another try rather than locking.
bool suggests_wrong_password(const OperationResult& result);

// "25%": the share of the input done, shown while an operation runs.
std::string progress_text(std::uint64_t done, std::uint64_t total);

}  // namespace brisol
