#include "main_window_rules.h"

#include <utility>

#include "password_key.h"
#include "secure_memory.h"
#include "messages.h"
#include "output_name.h"
#include "utf8.h"
#include "controls.h"
#include "texts.h"

namespace brisol {
namespace {

void wipe(std::string& text) {
    secure_wipe(text.data(), text.size());
    text.clear();
}

// The first max_chars characters of a field; the whole text is wiped.
std::string read_field(const WindowControls& controls, int id, std::size_t max_chars) {
    std::string whole = controls.field_text(id);
    std::string text = whole.substr(0, utf8_prefix_bytes(whole, max_chars));
    wipe(whole);
    return text;
}

}  // namespace

OperationRequest::~OperationRequest() {
    wipe(password1);
    wipe(password2);
    wipe(extension);
}

void MainWindowRules::open() {
    controls_.set_enabled(kDecryptId, false);
    controls_.set_enabled(kCryptId, false);
    refresh_file_status();
}

void MainWindowRules::command(int id) {
    switch (id) {
        case kOpenFileId: open_file(); break;
        case kCryptId: start_operation(Direction::Crypt); break;
        case kDecryptId: start_operation(Direction::Decrypt); break;
        case kInfoId: controls_.show_about_box(); break;
        case kQuitId:
            close();
            controls_.end_dialog();
            break;
        default: break;
    }
}

void MainWindowRules::set_current_path(std::string path) {
    current_path_ = std::move(path);
    enable_operations();
    refresh_file_status();
}

void MainWindowRules::drop(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        set_current_path(path);
    }
}

void MainWindowRules::open_file() {
    FileChoice choice = controls_.choose_file(current_path_);
    if (!choice.later) {
        file_chosen(std::move(choice.path));
    }
}

void MainWindowRules::file_chosen(std::optional<std::string> chosen) {
    if (chosen) {
        current_path_ = std::move(*chosen);
    }
    // Before the message, which a face may show until it is dismissed.
    enable_operations();
    refresh_file_status();
    if (!chosen) {
        controls_.inform(Message{texts::kFileOpenError, MessageKind::Error});
    }
}

void MainWindowRules::enable_operations() {
    controls_.set_enabled(kDecryptId, true);
    controls_.set_enabled(kCryptId, true);
}

void MainWindowRules::refresh_file_status() {
    controls_.set_status_text(kFilePart,
                              texts::kStatusFilePrefix + messages::shown_name(current_path_));
}

void MainWindowRules::read_request(OperationRequest& request) const {
    request.password1 = read_field(controls_, kPassword1Id, kPasswordMaxChars);
    request.password2 = read_field(controls_, kPassword2Id, kPasswordMaxChars);
    if (request.direction == Direction::Decrypt) {
        request.extension = read_field(controls_, kExtensionId, kExtensionCharsRead);
    }
}

void MainWindowRules::start_operation(Direction direction) {
    OperationRequest request;
    request.direction = direction;
    read_request(request);
    const StartResult result =
        operations_.start(StartRequest::beside_input(direction, current_path_, request.password1,
                                                     request.password2, request.extension),
                          sink_);
    if (!result.started) {
        controls_.inform(Message{result.message, MessageKind::Error});
        return;
    }
    warnings_.clear();
    if (traits_.warns_of_empty_passwords && direction == Direction::Crypt) {
        if (request.password1.empty()) warnings_.emplace_back(messages::kEmptyPassword1);
        if (request.password2.empty()) warnings_.emplace_back(messages::kEmptyPassword2);
    }
}

void MainWindowRules::close() {
    // First: an end that the stop brings at once has nobody to tell.
    closed_ = true;
    if (operations_.busy()) {
        operations_.cancel();
    }
    operations_.wait();
}

void MainWindowRules::cancel() {
    if (operations_.busy()) {
        operations_.cancel();
    }
}

void MainWindowRules::progress(std::uint64_t done, std::uint64_t total) {
    controls_.set_status_text(kProgressPart, progress_text(done, total));
}

void MainWindowRules::set_locked_controls_enabled(bool enabled) {
    for (const int id : kLockedControlIds) {
        if (id != kOpenFileId || !traits_.open_file_stays_after_success) {
            controls_.set_enabled(id, enabled);
        }
    }
}

void MainWindowRules::completion(const OperationResult& result) {
    controls_.set_status_text(kProgressPart, std::string());
    if (closed_) {
        return;
    }
    // Before the message, which a face may show until it is dismissed.
    // A result that looks random stays open for another try.
    if (result.outcome == OperationOutcome::Succeeded) {
        set_locked_controls_enabled(suggests_wrong_password(result));
    }
    std::optional<Message> message = completion_message(result);
    if (message && result.outcome == OperationOutcome::Succeeded && !warnings_.empty()) {
        for (const std::string& warning : warnings_) {
            message->text += "\n" + warning;
        }
        if (message->kind == MessageKind::Information) {
            message->kind = MessageKind::Warning;
        }
    }
    if (message) {
        controls_.inform(*message);
    }
}

std::optional<std::string> startup_path(std::span<const std::string> arguments) {
    if (arguments.size() != 1 || arguments.front().empty()) {
        return std::nullopt;
    }
    return arguments.front();
}

}  // namespace brisol
