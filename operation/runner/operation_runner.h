#pragma once
// Turns one press of Crypt or Decrypt into a running operation: key blocks from
// the password texts, the output named beside the input, both layers prepared
// on the caller's thread, and one worker thread that runs the pipeline into a
// temporary file and renames it onto the output name once everything is on
// disk, or writes a device or FIFO where it is (run_output.h). The worker
// reports back only through the CompletionSink.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "file_system.h"
#include "operation_request.h"

namespace brisol {

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
    // input and output are used but never closed. `read_files` are what else
    // the run reads (password files, the --after file): the output is never
    // one of them, nor is the input, to the end of the run, and no sweep of
    // leftovers removes them.
    StartResult start(const StartRequest& request, CompletionSink& sink,
                      std::vector<KeptFile> read_files = {});

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
