#pragma once
// What the main window does, free of any toolkit: the current path, which
// controls are enabled when, what each command and a drop do, the locking
// after an operation and the messages. A face (Qt widgets, Win32 controls,
// the page) carries the rules out through WindowControls; the worker's
// reports reach them through a QueuedSink, on the window's own thread.

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "completion.h"
#include "operations.h"
#include "queued_sink.h"

namespace brisol {

// What a press of Crypt or Decrypt reads from the fields, as UTF-8. The
// texts are wiped when the request is dropped.
struct OperationRequest {
    Direction direction = Direction::Crypt;
    std::string password1;
    std::string password2;
    std::string extension;  // read for Decrypt only

    OperationRequest() = default;
    OperationRequest(const OperationRequest&) = delete;
    OperationRequest& operator=(const OperationRequest&) = delete;
    ~OperationRequest();
};

// What the open-file dialog gave: a path, nothing (cancelled or failed), or
// an answer still to come, which the face hands to file_chosen() later (a
// page's dialog answers after the click that opened it has returned).
struct FileChoice {
    std::optional<std::string> path;
    bool later = false;
};

// Where faces differ.
struct FaceTraits {
    // A face that may have no drops (the page on a phone) keeps Open FILE...
    // after a success, since it is then the only way to a second file.
    bool open_file_stays_after_success = false;
    // A Crypt with an empty password succeeds with brisol-cli's warnings.
    bool warns_of_empty_passwords = false;
};

// The toolkit's side. Texts are UTF-8; controls are named by their ids.
class WindowControls {
public:
    virtual ~WindowControls() = default;
    virtual void set_enabled(int id, bool enabled) = 0;
    virtual void set_status_text(int part, const std::string& text) = 0;
    virtual std::string field_text(int id) const = 0;
    virtual FileChoice choose_file(const std::string& current_path) = 0;
    // A message captioned "Brisol" that does not block the window.
    virtual void inform(const Message& message) = 0;
    // The About box, modal; returns when it is closed.
    virtual void show_about_box() = 0;
    virtual void end_dialog() = 0;
};

class MainWindowRules {
public:
    // The operations report through a queue; wake_ui asks the face to call
    // run_queued() on the window's thread.
    MainWindowRules(Operations& operations, WindowControls& controls, std::function<void()> wake_ui,
                    FaceTraits traits = {})
        : operations_(operations),
          controls_(controls),
          sink_(*this, std::move(wake_ui)),
          traits_(traits) {}
    MainWindowRules(const MainWindowRules&) = delete;
    MainWindowRules& operator=(const MainWindowRules&) = delete;

    // The window has opened: Crypt and Decrypt wait for a file.
    void open();
    // A click on a control; anything that is not a command does nothing.
    void command(int id);
    // A file was chosen, dropped or named on the command line.
    void set_current_path(std::string path);
    // The open-file dialog's answer; nothing when it was cancelled or failed.
    void file_chosen(std::optional<std::string> path);
    // Files dropped onto the window, in the order given: the last one counts.
    void drop(const std::vector<std::string>& paths);
    const std::string& current_path() const { return current_path_; }
    void read_request(OperationRequest& request) const;
    // Every way of leaving the window: a running operation is stopped and
    // its worker waited for, so no partial output is left behind.
    void close();
    // A face's own Cancel: the running operation stops, and its end says so.
    void cancel();

    // The worker's reports waiting for the window's thread, carried out.
    void run_queued() { sink_.run_queued(); }
    // What the operations report to, from any thread.
    CompletionSink& sink() { return sink_; }

    // The worker's reports, on the window's thread. A success locks the
    // controls before its message shows.
    void progress(std::uint64_t done, std::uint64_t total);
    void completion(const OperationResult& result);

private:
    void open_file();
    void start_operation(Direction direction);
    void enable_operations();
    void set_locked_controls_enabled(bool enabled);
    void refresh_file_status();

    Operations& operations_;
    WindowControls& controls_;
    QueuedSink sink_;
    FaceTraits traits_;
    std::string current_path_;
    // Told with the running operation's success.
    std::vector<std::string> warnings_;
    bool closed_ = false;
};

// The program's arguments less its own name: one argument names the file
// to start with; anything else names none.
std::optional<std::string> startup_path(std::span<const std::string> arguments);

}  // namespace brisol
