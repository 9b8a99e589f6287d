// Wine hands a console control event only to the process that raises it, so
// this raises Ctrl-C in the test's own process: the handler brisol-cli
// installs must wake the thread waiting for an operation, which then stops
// it (the stop itself is the runner's, tested with the runner).

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "console.h"

namespace brisol {
namespace {

TEST(Win32Console, CtrlCWakesTheWaitingThreadOnce) {
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    cli::prepare_interrupts();
    std::atomic<bool> finished{false};
    // Should the event never come, the wait still ends.
    std::thread give_up([&finished] {
        Sleep(10000);
        finished = true;
        cli::wake_waiter();
    });
    ASSERT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    int interrupts = 0;
    const bool interrupted = cli::wait_for_end(finished, [&] {
        ++interrupts;
        finished = true;
    });
    give_up.detach();
    EXPECT_TRUE(interrupted);
    EXPECT_EQ(interrupts, 1);
}

}  // namespace
}  // namespace brisol
