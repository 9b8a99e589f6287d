#pragma once
// The desktop's operations: the window's port carried out by an
// OperationRunner, as both desktop faces and their tests use it.

#include "operation_runner.h"
#include "operations.h"

namespace brisol {

class RunnerOperations final : public Operations {
public:
    explicit RunnerOperations(OperationRunner& runner) : runner_(runner) {}

    StartResult start(const StartRequest& request, CompletionSink& sink) override {
        return runner_.start(request, sink);
    }
    void cancel() override { runner_.cancel(); }
    bool busy() const override { return runner_.busy(); }
    void wait() override { runner_.wait(); }

private:
    OperationRunner& runner_;
};

}  // namespace brisol
