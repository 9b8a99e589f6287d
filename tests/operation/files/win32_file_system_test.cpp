// What the Win32 file calls add: the share mode that holds the input, outputs
// marked for deletion until named and swept after a crash, an output replaced
// while another program glances at it, read-only inputs and paths past
// MAX_PATH.

#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "../held_crypt.h"
#include "../test_files.h"
#include "file_system.h"
#include "win32_text.h"

namespace brisol {
namespace {

using testing::HeldCrypt;
using testing::pattern_bytes;
using testing::read_file;
using testing::run_to_end;
using testing::TempDir;
using testing::write_file;

struct OtherProgram {
    const char* name;
    DWORD access;
    bool allowed;
};

// Opened as another program would, sharing everything itself.
const OtherProgram kOtherPrograms[] = {
    {"a reader", GENERIC_READ, true},
    {"a writer", GENERIC_WRITE, false},
    {"a deleter or renamer", DELETE, false},
};

TEST(Win32Files, TheInputIsHeldAgainstWritersWhileItIsRead) {
    TempDir dir;
    const std::string input = dir.file("data.bin");
    write_file(input, pattern_bytes(5000));
    HeldCrypt crypt(input);
    ASSERT_TRUE(crypt.started.started) << crypt.started.message;
    for (const OtherProgram& other : kOtherPrograms) {
        const HANDLE handle = CreateFileW(win32::widen(input).c_str(), other.access,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(handle != INVALID_HANDLE_VALUE, other.allowed) << other.name;
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    crypt.release_and_wait();
    EXPECT_EQ(crypt.sink.completions.at(0).outcome, OperationOutcome::Succeeded);
    EXPECT_EQ(read_file(input), pattern_bytes(5000));
}

TEST(Win32Files, AReadOnlyInputIsReadAndLeftAlone) {
    TempDir dir;
    const std::string input = dir.file("data.bin");
    write_file(input, pattern_bytes(5000));
    ASSERT_TRUE(SetFileAttributesW(win32::widen(input).c_str(), FILE_ATTRIBUTE_READONLY));
    OperationRunner runner;
    // The output takes the input's access rules, and can still be replaced.
    for (int run = 0; run < 2; ++run)
        EXPECT_EQ(run_to_end(runner, Direction::Crypt, input).outcome, OperationOutcome::Succeeded)
            << run;
    EXPECT_NE(GetFileAttributesW(win32::widen(input).c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(read_file(input), pattern_bytes(5000));
    SetFileAttributesW(win32::widen(input).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A process that dies closes its handles: what is left then is what this
// leaves, and a named output stays visible.
TEST(Win32Files, AnOutputWithoutANameGoesWithItsLastHandle) {
    TempDir dir;
    OutputFileSystem& files = system_file_system();
    const FdResult folder = files.open_folder(dir.path().string());
    ASSERT_EQ(folder.error, 0);
    for (const bool named : {false, true}) {
        const FdResult made = files.create_unnamed(folder.fd, -1);
        ASSERT_EQ(made.error, 0);
        const std::uint8_t bytes[] = {'a', 'b', 'c'};
        ASSERT_EQ(files.write(made.fd, bytes).error, 0);
        if (named) {
            ASSERT_EQ(files.give_name(made.fd, folder.fd, "out.bin"), 0);
        }
        EXPECT_EQ(files.close(made.fd), 0);
        EXPECT_EQ(dir.names(), named ? std::set<std::string>{"out.bin"} : std::set<std::string>{})
            << named;
    }
    files.close(folder.fd);
    EXPECT_EQ(GetFileAttributesW(win32::widen(dir.file("out.bin")).c_str()) & FILE_ATTRIBUTE_HIDDEN,
              0u);
    EXPECT_EQ(read_file(dir.file("out.bin")), "abc");
}

// A crash of the whole system leaves the hidden output unmarked; the next run
// in its folder removes it, but never a live run's.
TEST(Win32Files, WhatASystemCrashLeavesIsSweptByTheNextRun) {
    TempDir dir;
    const std::string input = dir.file("data.bin");
    write_file(input, pattern_bytes(5000));
    OutputFileSystem& files = system_file_system();
    const FdResult folder = files.open_folder(dir.path().string());
    ASSERT_EQ(folder.error, 0);
    const FdResult live = files.create_unnamed(folder.fd, -1);
    files.close(folder.fd);
    ASSERT_EQ(live.error, 0);
    std::set<std::string> hidden = dir.names();
    hidden.erase("data.bin");
    ASSERT_EQ(hidden.size(), 1u);
    const std::string name = *hidden.begin();
    OperationRunner runner;
    ASSERT_EQ(run_to_end(runner, Direction::Crypt, input).outcome, OperationOutcome::Succeeded);
    EXPECT_EQ(dir.names().count(name), 1u) << "a live output is left alone";
    files.close(live.fd);

    write_file(dir.file(name), "what the crash left");
    // A process sweeps each folder once: the next run is another process's.
    testing::FaultyFileSystem next_process;
    OperationRunner next(next_process);
    ASSERT_EQ(run_to_end(next, Direction::Crypt, input).outcome, OperationOutcome::Succeeded);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"data.bin", "data.bin.bsl"}));
}

// Windows replaces no file that is open, even one only being looked at; a
// scanner or an indexer that lets go soon only delays the run.
TEST(Win32Files, AnOutputAnotherProgramHasOpenBrieflyIsStillReplaced) {
    TempDir dir;
    const std::string input = dir.file("data.bin");
    write_file(input, pattern_bytes(5000));
    write_file(input + ".bsl", "older contents");
    const HANDLE looker = CreateFileW(win32::widen(input + ".bsl").c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(looker, INVALID_HANDLE_VALUE);
    std::thread letting_go([looker] {
        Sleep(300);
        CloseHandle(looker);
    });
    OperationRunner runner;
    const OperationResult result = run_to_end(runner, Direction::Crypt, input);
    letting_go.join();
    EXPECT_EQ(result.outcome, OperationOutcome::Succeeded) << result.message;
    EXPECT_EQ(read_file(input + ".bsl").size(), 5000u);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"data.bin", "data.bin.bsl"}));
}

TEST(Win32Files, PathsPastMaxPathWork) {
    TempDir dir;
    std::string deep = dir.path().string();
    for (int i = 0; i < 6; ++i) {
        deep += "\\" + std::string(60, static_cast<char>('a' + i));
        ASSERT_TRUE(CreateDirectoryW(win32::file_path(deep).c_str(), nullptr)) << deep;
    }
    const std::string input = deep + "\\" + std::string(100, 'f');
    ASSERT_GT(input.size(), std::size_t{MAX_PATH});
    const HANDLE handle = CreateFileW(win32::file_path(input).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_NEW, 0, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(handle, "short text", 10, &written, nullptr);
    CloseHandle(handle);
    OperationRunner runner;
    EXPECT_EQ(run_to_end(runner, Direction::Crypt, input).outcome, OperationOutcome::Succeeded);
    WIN32_FILE_ATTRIBUTE_DATA about{};
    ASSERT_TRUE(GetFileAttributesExW(win32::file_path(input + ".bsl").c_str(),
                                     GetFileExInfoStandard, &about));
    EXPECT_EQ(about.nFileSizeLow, 10u);
}

}  // namespace
}  // namespace brisol
