#pragma once
// Turns one press of Crypt or Decrypt into a running operation: key blocks from
// the password texts, the output named beside the input, both layers prepared
// on the caller's thread, and one worker thread that runs the pipeline into a
// temporary file and renames it onto the output name once everything is on
// disk. The worker reports back only through the CompletionSink.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "cipher/types.h"
#include "operation/content_check.h"

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
    // Bytes written so far of the input's size, a few times a second at most.
    virtual void report_progress(std::uint64_t done, std::uint64_t total) = 0;
    // Called after a successful operation, before show_completion.
    virtual void lock_controls() = 0;
    // Called once at the end of every started operation, after the files are
    // closed and the output is in place (or removed).
    virtual void show_completion(const OperationResult& result) = 0;
};

// Why start() did not start an operation; the message is for the user.
struct StartResult {
    bool started = false;
    std::string message;
};

class FileSystem;

class OperationRunner {
public:
    OperationRunner();
    // Works on the given files instead of the real file system, which lets
    // tests make any file call fail.
    explicit OperationRunner(FileSystem& files);
    ~OperationRunner();  // cancels a running operation and joins its worker
    OperationRunner(const OperationRunner&) = delete;
    OperationRunner& operator=(const OperationRunner&) = delete;

    // Passwords and the extension are UTF-8 texts. Passwords are turned into
    // 8-bit characters of the ANSI code page of the user's locale, or of the
    // one set here (iconv name such as "CP1251"); empty means the locale's.
    void set_codepage(std::string codepage);

    // Starts an operation on the caller's thread and returns at once. Refusals
    // (an operation already running, an empty path, an input that cannot be
    // opened, an output that cannot be created or is the input itself, a
    // password character the code page lacks) come back here and leave no file.
    StartResult start(Direction direction, const std::string& current_path,
                      std::string_view password1, std::string_view password2,
                      std::string_view extension, CompletionSink& sink);

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

// Output naming from the current path: Crypt appends ".bsl"; Decrypt appends
// "." and the characters of the extension text after its first one, at most
// four of them (the extension is read with at most five characters).
std::string output_name(Direction direction, std::string_view current_path,
                        std::string_view extension);

}  // namespace brisol
