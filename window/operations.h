#pragma once
// The port through which the window's rules run operations, whatever does
// the work: the desktop's OperationRunner (runner_operations.h) or the
// page's workers. One operation at a time; its end comes back through the
// sink, on whatever thread the operation ran.

#include "operation_request.h"

namespace brisol {

class Operations {
public:
    virtual ~Operations() = default;
    // Starts an operation and returns at once; a refusal starts nothing.
    virtual StartResult start(const StartRequest& request, CompletionSink& sink) = 0;
    // Asks the running operation to stop; the sink hears Cancelled.
    virtual void cancel() = 0;
    // True from a successful start until the operation has let go of its files.
    virtual bool busy() const = 0;
    // Blocks until every operation started so far has returned from its sink;
    // where nothing can block (the page), it only lets go of them.
    virtual void wait() = 0;
};

}  // namespace brisol
