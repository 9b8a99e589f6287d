// The shared rules with a recording stand-in for a toolkit: what both faces
// do in the same order, and the start-up argument.

#include "window/main_window_rules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "operation/messages/messages.h"
#include "window/controls.h"
#include "window/texts.h"

namespace brisol {
namespace {

class RecordedControls : public WindowControls, public CompletionSink {
public:
    std::vector<std::pair<int, bool>> enabling;
    std::vector<Message> messages;

    void set_enabled(int id, bool enabled) override { enabling.emplace_back(id, enabled); }
    void set_status_text(int, const std::string&) override {}
    std::string field_text(int) const override { return {}; }
    std::optional<std::string> choose_file(const std::string&) override { return {}; }
    void inform(const Message& message) override { messages.push_back(message); }
    void show_about_box() override {}
    void end_dialog() override {}

    void report_progress(std::uint64_t, std::uint64_t) override {}
    void lock_controls() override {}
    void show_completion(const OperationResult&) override {}
};

TEST(MainWindowRules, OpeningDisablesDecryptThenCryptAndTheLockGoesInItsOrder) {
    OperationRunner runner;
    RecordedControls controls;
    MainWindowRules rules(runner, controls, controls);
    rules.open();
    rules.lock();
    const std::vector<std::pair<int, bool>> expected{
        {kDecryptId, false},   {kCryptId, false},     {kCryptId, false},   {kDecryptId, false},
        {kOpenFileId, false}, {kPassword2Id, false}, {kPassword1Id, false}};
    EXPECT_EQ(controls.enabling, expected);
}

TEST(MainWindowRules, NothingIsShownForAnOperationThatEndsAfterTheWindowClosed) {
    OperationRunner runner;
    RecordedControls controls;
    MainWindowRules rules(runner, controls, controls);
    rules.close();
    rules.completion(OperationResult{OperationOutcome::Succeeded, {}, "/data/a.bsl", 1, {}});
    rules.completion(OperationResult{OperationOutcome::Failed, "Cannot write", "/data/a.bsl", 1, {}});
    EXPECT_TRUE(controls.messages.empty());
}

struct CompletionRow {
    OperationResult result;
    std::string text;
    MessageKind kind;
    bool unlocks;
};

TEST(MainWindowRules, EachEndShowsItsKindOfMessageAndOnlyALikelyWrongPasswordUnlocks) {
    using Outcome = OperationOutcome;
    const std::string completed = texts::kOperationCompleted;
    const CompletionRow rows[] = {
        {{Outcome::Succeeded, {}, "/data/a.bsl", 1, {}}, completed, MessageKind::Information, false},
        {{Outcome::Succeeded, {}, "/data/a.src", 1, {"PDF document", false}},
         completed + "\n\nThe result looks like: PDF document", MessageKind::Information, false},
        {{Outcome::Succeeded, {}, "/data/a.src", 1, {"", true}},
         completed + "\n\n" + std::string(messages::kLooksRandom) + "\n\n" +
             texts::kTryOtherPasswords,
         MessageKind::Warning, true},
        {{Outcome::Failed, "Cannot write", "/data/a.bsl", 1, {}}, "Cannot write", MessageKind::Error,
         false},
    };
    for (const CompletionRow& row : rows) {
        OperationRunner runner;
        RecordedControls controls;
        MainWindowRules rules(runner, controls, controls);
        rules.lock();
        controls.enabling.clear();
        rules.completion(row.result);
        ASSERT_EQ(controls.messages.size(), 1u) << row.text;
        EXPECT_EQ(controls.messages.front().text, row.text);
        EXPECT_EQ(controls.messages.front().kind, row.kind) << row.text;
        std::vector<std::pair<int, bool>> unlocked;
        if (row.unlocks) {
            for (const int id : kLockedControlIds) unlocked.emplace_back(id, true);
        }
        EXPECT_EQ(controls.enabling, unlocked) << row.text;
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
