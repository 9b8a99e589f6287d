#include "completion.h"

#include "messages.h"
#include "texts.h"

namespace brisol {

bool suggests_wrong_password(const OperationResult& result) {
    return result.outcome == OperationOutcome::Succeeded && result.content.looks_random;
}

std::optional<Message> completion_message(const OperationResult& result) {
    switch (result.outcome) {
        case OperationOutcome::Succeeded: {
            Message message{texts::kOperationCompleted, MessageKind::Information};
            if (const std::string note = messages::content_note(result.content); !note.empty())
                message.text += "\n\n" + note;
            if (suggests_wrong_password(result)) {
                message.text += "\n\n";
                message.text += texts::kTryOtherPasswords;
                message.kind = MessageKind::Warning;
            }
            return message;
        }
        case OperationOutcome::Failed: return Message{result.message, MessageKind::Error};
        case OperationOutcome::Cancelled:
            // Leaving the window cancels with nobody left to tell; a face's
            // own Cancel is told, and a dismissed save dialog has no message.
            if (!result.message.empty()) return Message{result.message, MessageKind::Information};
            break;
    }
    return std::nullopt;
}

std::string progress_text(std::uint64_t done, std::uint64_t total) {
    const int percent =
        total == 0
            ? 100
            : static_cast<int>(static_cast<double>(done) / static_cast<double>(total) * 100.0);
    return std::to_string(percent) + "%";
}

}  // namespace brisol
