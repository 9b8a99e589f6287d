#include "terminal_sink.h"

#include "console.h"
#include "messages.h"

namespace brisol::cli {

void TerminalSink::begin(std::string file_name) {
    line_.begin(slot_, messages::shown_name(file_name));
    result_ = {};
    finished_.store(false);
}

void TerminalSink::report_progress(std::uint64_t done, std::uint64_t total) {
    line_.update(slot_, done, total);
}

void TerminalSink::show_completion(const OperationResult& result) {
    line_.end(slot_);
    result_ = result;
    finished_.store(true);
    any_ended_.store(true);
    wake_waiter();
}

}  // namespace brisol::cli
