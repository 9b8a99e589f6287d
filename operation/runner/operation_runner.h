#pragma once
// Turns one press of Crypt or Decrypt into a running operation: key blocks from
// the password texts, the output named beside the input, both layers prepared
// on the caller's thread, and one worker thread that runs the pipeline into a
// temporary file and renames it onto the output name once everything is on
// disk, or writes a device or FIFO where it is (output_target.h). The worker
// reports back only through the CompletionSink.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "cipher/layout.h"
#include "cipher/level1_cipher.h"
#include "operation/content/content_check.h"

namespace brisol {

enum class OperationOutcome { Succeeded, Failed, Cancelled };

struct OperationResult {
    OperationOutcome outcome = OperationOutcome::Succeeded;
    std::string message;      // for the user: names the file and the reason; empty on success
    std::string output_path;  // the output's name, also when it was not written
    std::uint64_t bytes_done = 0;
    ContentHint content;  // after a successful Decrypt: what the result looks like
};

// Implemented by whoever started the operation (the window, the command line).
// Every call comes from the worker thread. A call must not wait for the thread
// that destroys the runner or calls wait(), which joins the worker.
class CompletionSink {
public:
    virtual ~CompletionSink() = default;
    // Bytes written so far of the input's size, a few times a second at most;
    // the size is 0 for standard input, whose size is unknown.
    virtual void report_progress(std::uint64_t done, std::uint64_t total) = 0;
    // Called after a successful operation, before show_completion.
    virtual void lock_controls() = 0;
    // Called once at the end of every started operation, after the files are
    // closed and the output is in place (or removed).
    virtual void show_completion(const OperationResult& result) = 0;
};

// One operation as a command line asks for it. The window's start() is the
// case of a named input, an output named beside it and a register of zeros.
struct StartRequest {
    Direction direction = Direction::Crypt;
    std::string input_path;         // ignored when input_is_stdin
    bool input_is_stdin = false;
    std::string output_path;        // empty: output_name() of the input
    bool output_is_stdout = false;  // written as it goes, no temporary file
    std::string_view password1;
    std::string_view password2;
    std::string_view extension;     // Decrypt's naming only
    // Where the GOST layer's feedback starts; see register_after().
    FeedbackRegister start_register;
};

// Why start() did not start an operation; the message is for the user.
struct StartResult {
    bool started = false;
    std::string message;
};

class FileSystem;
class OutputFileSystem;

// What start() refuses about a request's output whatever the passwords are:
// a name that can never take the result (a directory, a socket, a block
// device, a device or FIFO of another user). The message, or empty when
// there is nothing to refuse before the run; so a program can refuse it
// before anyone types a password.
std::string output_refusal(const StartRequest& request, FileSystem& files);

class OperationRunner {
public:
    OperationRunner();
    // Works on the given files instead of the real file system, which lets
    // tests make any file call fail.
    explicit OperationRunner(OutputFileSystem& files);
    ~OperationRunner();  // cancels a running operation and joins its worker
    OperationRunner(const OperationRunner&) = delete;
    OperationRunner& operator=(const OperationRunner&) = delete;

    // Passwords and the extension are UTF-8 texts. Passwords are turned into
    // 8-bit characters of the ANSI code page of the user's locale, or of the
    // one set here (iconv name such as "CP1251"); empty means the locale's.
    void set_codepage(std::string codepage);

    // Starts an operation on the caller's thread and returns at once. Refusals
    // (an operation already running, an empty path, an input that cannot be
    // opened, an output that cannot be created, cannot take a result or is
    // the input itself, a password character the code page lacks) come back
    // here and leave no file.
    StartResult start(Direction direction, const std::string& current_path,
                      std::string_view password1, std::string_view password2,
                      std::string_view extension, CompletionSink& sink);
    // The same for standard streams, an output of the caller's choice (with
    // the same refusals) and a register that does not start at zero. Standard
    // input and output are used but never closed.
    StartResult start(const StartRequest& request, CompletionSink& sink);

    // Asks a running operation to stop at its next chunk; its temporary
    // output is removed and the sink hears Cancelled.
    void cancel();

    // True from a successful start until the worker has closed its files.
    bool busy() const;

    // Blocks until every worker started so far has returned from the sink.
    void wait();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace brisol
