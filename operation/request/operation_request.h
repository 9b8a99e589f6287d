#pragma once
// What one operation is asked to do and what it reports back, in every face
// alike: the desktop's runner and the page's workers take the same request
// and give the same result through the same sink, so the window's rules
// (window/) work over either.

#include <cstdint>
#include <string>
#include <string_view>

#include "layout.h"
#include "feedback_register.h"
#include "content_check.h"

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
// Every call comes from the thread that runs the operation. A call must not
// wait for the thread that ends the operation's owner or waits for it.
class CompletionSink {
public:
    virtual ~CompletionSink() = default;
    // Bytes written so far of the input's size, a few times a second at most;
    // the size is 0 for standard input, whose size is unknown.
    virtual void report_progress(std::uint64_t done, std::uint64_t total) = 0;
    // Called once at the end of every started operation, after the files are
    // closed and the output is in place (or removed).
    virtual void show_completion(const OperationResult& result) = 0;
};

// One operation as a command line asks for it. The window's request is the
// case of a named input, an output named beside it and a register of zeros.
struct StartRequest {
    Direction direction = Direction::Crypt;
    std::string input_path;  // ignored when input_is_stdin
    bool input_is_stdin = false;
    std::string output_path;        // empty: output_name() of the input
    bool output_is_stdout = false;  // written as it goes, no temporary file
    std::string_view password1;
    std::string_view password2;
    std::string_view extension;  // Decrypt's naming only
    // Where the GOST layer's feedback starts; see register_after().
    FeedbackRegister start_register;

    // The window's case: a chosen file, its output named beside it.
    static StartRequest beside_input(Direction direction, std::string_view input_path,
                                     std::string_view password1, std::string_view password2,
                                     std::string_view extension) {
        StartRequest request;
        request.direction = direction;
        request.input_path = input_path;
        request.password1 = password1;
        request.password2 = password2;
        request.extension = extension;
        return request;
    }
};

// Why an operation was not started; the message is for the user.
struct StartResult {
    bool started = false;
    std::string message;
};

}  // namespace brisol
