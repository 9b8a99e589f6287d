// The shared rules with a recording stand-in for a toolkit: what every face
// does in the same order, over the desktop's runner and over a stand-in for
// the page's workers alike, and the start-up argument.

#include "main_window_rules.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "../operation/test_files.h"
#include "messages.h"
#include "start_check.h"
#include "controls.h"
#include "runner_operations.h"
#include "texts.h"

namespace brisol {
namespace {

class RecordedControls : public WindowControls {
public:
    // What each control was last set to; a control never set is enabled.
    std::map<int, bool> enabling;
    std::vector<Message> messages;
    std::map<int, std::string> fields;

    bool enabled(int id) const {
        const auto found = enabling.find(id);
        return found == enabling.end() || found->second;
    }
    bool locked() const {
        for (const int id : kLockedControlIds) {
            if (enabled(id)) return false;
        }
        return true;
    }

    void set_enabled(int id, bool enabled) override { enabling[id] = enabled; }
    void set_status_text(int, const std::string&) override {}
    std::string field_text(int id) const override {
        const auto found = fields.find(id);
        return found == fields.end() ? std::string{} : found->second;
    }
    // The page's way: the answer comes later, through file_chosen().
    FileChoice choose_file(const std::string&) override { return {{}, true}; }
    void inform(const Message& message) override { messages.push_back(message); }
    void show_about_box() override {}
    void end_dialog() override {}
};

// The page's workers as the rules meet them: the same refusals before a
// start, one operation at a time, and an end that comes later, when the
// workers are done (finish()), never inside start().
class WorkerStandIn final : public Operations {
public:
    StartResult start(const StartRequest& request, CompletionSink& sink) override {
        if (sink_ != nullptr) return {false, std::string{messages::kBusy}};
        StartCheck check = check_start(request, "CP1252");
        if (!check.refusal.empty()) return {false, std::move(check.refusal)};
        sink_ = &sink;
        output_path_ = std::move(check.output_path);
        return {true, {}};
    }
    void cancel() override { finish(OperationOutcome::Cancelled); }
    bool busy() const override { return sink_ != nullptr; }
    void wait() override {}

    void finish(OperationOutcome outcome = OperationOutcome::Succeeded) {
        if (sink_ == nullptr) return;
        CompletionSink& sink = *std::exchange(sink_, nullptr);
        const std::string told = outcome == OperationOutcome::Cancelled
                                     ? messages::cancelled(output_path_)
                                     : std::string{};
        sink.show_completion(OperationResult{outcome, told, output_path_, 0, {}});
    }

private:
    CompletionSink* sink_ = nullptr;
    std::string output_path_;
};

// Either kind of operations behind the port, with a way to let a started
// operation end.
struct PortUnderTest {
    std::unique_ptr<Operations> operations;
    std::function<void()> let_end;
    std::shared_ptr<void> keep;  // what the operations work on
};

struct RunnerPort {
    testing::TempDir dir;
    OperationRunner runner;
};

PortUnderTest desktop_port() {
    auto held = std::make_shared<RunnerPort>();
    held->runner.set_codepage("CP1252");
    testing::write_file(held->dir.file("report.txt"), testing::pattern_bytes(1000));
    PortUnderTest port{std::make_unique<RunnerOperations>(held->runner), {}, held};
    port.let_end = [runner = &held->runner] { runner->wait(); };
    return port;
}

PortUnderTest page_port() {
    auto stand_in = std::make_unique<WorkerStandIn>();
    WorkerStandIn* raw = stand_in.get();
    return {std::move(stand_in), [raw] { raw->finish(); }, {}};
}

class OverThePort : public ::testing::TestWithParam<PortUnderTest (*)()> {
protected:
    // The reports wait for the test's thread, as for a window's.
    OverThePort() : port(GetParam()()), rules(*port.operations, controls, [] {}) { rules.open(); }
    void end() {
        port.let_end();
        rules.run_queued();
    }
    std::string path(const std::string& name) const {
        const auto* held = static_cast<RunnerPort*>(port.keep.get());
        return held != nullptr ? held->dir.file(name) : "/data/" + name;
    }
    void choose(const std::string& name) { rules.set_current_path(path(name)); }
    std::vector<std::string> texts() const {
        std::vector<std::string> shown;
        for (const Message& message : controls.messages) shown.push_back(message.text);
        return shown;
    }

    PortUnderTest port;
    RecordedControls controls;
    MainWindowRules rules;
};

TEST_P(OverThePort, RefusalsComeBeforeAnyStartWhateverRunsTheOperations) {
    rules.command(kCryptId);
    controls.fields[kExtensionId] = ".a/b";
    choose("report.txt");
    rules.command(kDecryptId);
    controls.fields[kExtensionId] = ".src";
    controls.fields[kPassword1Id] = "\xd0\x96";
    rules.command(kCryptId);
    controls.fields[kPassword1Id] = "pw1";
    rules.command(kCryptId);
    end();
    const std::vector<std::string> expected{
        std::string{messages::kNoFileChosen}, std::string{messages::kExtensionHasSlash},
        "PASSWORD-1 has a character that code page CP1252 cannot represent.",
        texts::kOperationCompleted};
    EXPECT_EQ(texts(), expected);
}

TEST_P(OverThePort, ASuccessLocksAndClosingStopsARunningOperationSilently) {
    choose("report.txt");
    rules.command(kCryptId);
    end();
    EXPECT_EQ(texts(), std::vector<std::string>{texts::kOperationCompleted});
    EXPECT_TRUE(controls.locked());
    rules.drop({path("report.txt")});
    controls.messages.clear();
    rules.command(kCryptId);
    rules.close();
    EXPECT_FALSE(port.operations->busy());
    // The runner may have finished before the close; a stop itself tells nobody.
    for (const std::string& text : texts()) EXPECT_EQ(text, texts::kOperationCompleted);
}

TEST(WorkerStandIn, ASecondStartWhileOneRunsIsRefused) {
    WorkerStandIn operations;
    RecordedControls controls;
    MainWindowRules rules(operations, controls, [&rules] { rules.run_queued(); });
    rules.set_current_path("/data/report.txt");
    rules.command(kCryptId);
    rules.command(kDecryptId);
    operations.finish();
    EXPECT_EQ(controls.messages.front().text, messages::kBusy);
}

// The page's face: its file dialog answers later, Open FILE... stays after
// a success, empty passwords warn, and its own Cancel is told.
TEST(WorkerStandIn, ThePagesFaceAsTheRulesDriveIt) {
    WorkerStandIn operations;
    RecordedControls controls;
    MainWindowRules rules(
        operations, controls, [&rules] { rules.run_queued(); }, FaceTraits{true, true});
    rules.open();
    rules.command(kOpenFileId);
    EXPECT_EQ(rules.current_path(), "");
    rules.file_chosen(std::nullopt);
    rules.file_chosen("/data/report.txt");
    controls.fields[kPassword2Id] = "pw2";
    rules.command(kCryptId);
    controls.enabling.clear();
    operations.finish();
    rules.command(kCryptId);
    rules.cancel();
    const std::vector<std::string> expected{
        texts::kFileOpenError,
        std::string{texts::kOperationCompleted} + "\n" + std::string{messages::kEmptyPassword1},
        messages::cancelled("/data/report.txt.bsl")};
    std::vector<std::string> shown;
    for (const Message& message : controls.messages) shown.push_back(message.text);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(controls.messages.at(1).kind, MessageKind::Warning);
    EXPECT_FALSE(controls.enabling.contains(kOpenFileId));
}

INSTANTIATE_TEST_SUITE_P(Desktop, OverThePort, ::testing::Values(&desktop_port));
INSTANTIATE_TEST_SUITE_P(Page, OverThePort, ::testing::Values(&page_port));

// The worker's reports wait for the window's thread and come in their order:
// nothing changes on the worker's, and a success's lock comes with its end.
TEST(MainWindowRules, WorkerReportsWaitForTheWindowsThreadAndKeepTheirOrder) {
    WorkerStandIn operations;
    RecordedControls controls;
    std::atomic<int> wakes = 0;
    MainWindowRules rules(operations, controls, [&wakes] { ++wakes; });
    rules.open();
    EXPECT_FALSE(controls.enabled(kCryptId));
    EXPECT_FALSE(controls.enabled(kDecryptId));
    rules.set_current_path("/data/report.txt");
    ASSERT_TRUE(controls.enabled(kCryptId));
    std::thread worker([&rules] {
        rules.sink().report_progress(1, 2);
        rules.sink().show_completion(
            OperationResult{OperationOutcome::Succeeded, {}, "/data/a.bsl", 2, {}});
    });
    worker.join();
    EXPECT_EQ(wakes, 2);
    EXPECT_TRUE(controls.messages.empty());
    EXPECT_TRUE(controls.enabled(kCryptId));
    rules.run_queued();
    EXPECT_EQ(controls.messages.size(), 1u);
    EXPECT_TRUE(controls.locked());
    rules.run_queued();
    EXPECT_EQ(controls.messages.size(), 1u);
}

TEST(MainWindowRules, NothingIsShownForAnOperationThatEndsAfterTheWindowClosed) {
    WorkerStandIn operations;
    RecordedControls controls;
    MainWindowRules rules(operations, controls, [] {});
    rules.close();
    rules.completion(OperationResult{OperationOutcome::Succeeded, {}, "/data/a.bsl", 1, {}});
    rules.completion(
        OperationResult{OperationOutcome::Failed, "Cannot write", "/data/a.bsl", 1, {}});
    EXPECT_TRUE(controls.messages.empty());
}

struct CompletionRow {
    OperationResult result;
    std::string text;
    MessageKind kind;
    bool locks;
};

TEST(MainWindowRules, EachEndShowsItsKindOfMessageAndASuccessLocksUnlessItLooksRandom) {
    using Outcome = OperationOutcome;
    const std::string completed = texts::kOperationCompleted;
    const CompletionRow rows[] = {
        {{Outcome::Succeeded, {}, "/data/a.bsl", 1, {}}, completed, MessageKind::Information, true},
        {{Outcome::Succeeded, {}, "/data/a.src", 1, {"PDF document", false}},
         completed + "\n\nThe result looks like: PDF document",
         MessageKind::Information,
         true},
        {{Outcome::Succeeded, {}, "/data/a.src", 1, {"", true}},
         completed + "\n\n" + std::string(messages::kLooksRandom) + "\n\n" +
             texts::kTryOtherPasswords,
         MessageKind::Warning,
         false},
        {{Outcome::Failed, "Cannot write", "/data/a.bsl", 1, {}},
         "Cannot write",
         MessageKind::Error,
         false},
    };
    for (const CompletionRow& row : rows) {
        WorkerStandIn operations;
        RecordedControls controls;
        MainWindowRules rules(operations, controls, [] {});
        rules.completion(row.result);
        ASSERT_EQ(controls.messages.size(), 1u) << row.text;
        EXPECT_EQ(controls.messages.front().text, row.text);
        EXPECT_EQ(controls.messages.front().kind, row.kind) << row.text;
        for (const int id : kLockedControlIds)
            EXPECT_EQ(controls.enabled(id), !row.locks) << row.text;
    }
}

struct StartupRow {
    std::vector<std::string> arguments;
    std::optional<std::string> path;
};

TEST(StartupPath, OnlyASingleNonEmptyArgumentNamesTheFile) {
    const StartupRow rows[] = {
        {{}, std::nullopt},
        {{"/data/report.txt.bsl"}, "/data/report.txt.bsl"},
        {{"report.txt"}, "report.txt"},
        {{""}, std::nullopt},
        {{"/data/one.txt", "/data/two.txt"}, std::nullopt},
    };
    for (const StartupRow& row : rows) {
        EXPECT_EQ(startup_path(row.arguments), row.path) << row.arguments.size() << " arguments";
    }
}

}  // namespace
}  // namespace brisol
