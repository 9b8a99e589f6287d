#pragma once
// A Crypt whose worker is stopped in its first read until release(), so a
// test can act while an operation is certainly running. The worker is always
// released and joined on the way out, even after a failed assertion.

#include <string>

#include "files/faulty_file_system.h"
#include "test_files.h"

namespace brisol::testing {

class HeldCrypt {
public:
    // Without unnamed outputs the output is written under a hidden name.
    explicit HeldCrypt(const std::string& input, bool unnamed_outputs = true) {
        files.unnamed_unsupported = !unnamed_outputs;
        files.hold_reads = true;
        auto reading = files.reading_started();
        started = runner.start(Direction::Crypt, input, "first", "second", "", sink);
        if (started.started) reading.wait();
    }
    ~HeldCrypt() { release_and_wait(); }
    HeldCrypt(const HeldCrypt&) = delete;
    HeldCrypt& operator=(const HeldCrypt&) = delete;

    void release_and_wait() {
        if (!released_) files.release_reads();
        released_ = true;
        runner.wait();
    }

    FaultyFileSystem files;
    OperationRunner runner{files};
    RecordingSink sink;
    StartResult started;

private:
    bool released_ = false;
};

}  // namespace brisol::testing
