// The window's rules on the page's own thread. The page's JavaScript draws
// the controls and forwards what happens to them (a click, a chosen or
// dropped file, Cancel, a stage's progress and end); the rules here decide
// what follows, exactly as in the desktop's windows, and ask the page
// through Module.page (given to createBrisol) to carry it out. An operation
// runs in the page's workers; its end comes back through brisol_page_end().
// Everything the page gives runs on one thread, so a report queued for the
// rules is carried out at once.

#include <emscripten/emscripten.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "secure_memory.h"
#include "platform.h"
#include "messages.h"
#include "start_check.h"
#include "exported_text.h"
#include "main_window_rules.h"

// Texts come back from JavaScript in memory it allocated with malloc: their
// bytes, and their length through `size`. Their bodies are JavaScript, which
// the formatter would take for C++.
// clang-format off
EM_JS(void, page_set_enabled, (int id, int enabled), { Module.page.setEnabled(id, enabled !== 0); });
EM_JS(void, page_set_status, (int part, const char* text), { Module.page.setStatus(part, UTF8ToString(text)); });
EM_JS(void, page_inform, (const char* text, int kind), { Module.page.inform(UTF8ToString(text), kind); });
EM_JS(void, page_choose_file, (), { Module.page.chooseFile(); });
EM_JS(void, page_show_about, (), { Module.page.showAbout(); });
EM_JS(void, page_cancel, (), { Module.page.cancel(); });
// A field's text, the chosen code page, or why the last run could not start.
EM_JS(char*, page_text, (int which, int id, std::size_t* size), {
    const text = [() => Module.page.field(id), () => Module.page.codepage(), () => Module.page.refusal][which]();
    const bytes = new TextEncoder().encode(text);
    const at = _malloc(bytes.length + 1);
    HEAPU8.set(bytes, at);
    HEAPU8[at + bytes.length] = 0;
    HEAPU32[size >> 2] = bytes.length;
    bytes.fill(0);
    return at;
});
// Starts the run in the workers and returns at once: false when it cannot
// start (a "made right after" file too short to have a register), and the
// page's text kRefusalText says why.
EM_JS(bool, page_begin, (int direction, const char* output, std::size_t output_size, const char* password1,
                         std::size_t password1_size, const char* password2, std::size_t password2_size,
                         const char* codepage), {
    Module.page.refusal = Module.page.begin(
        direction, UTF8ToString(output, output_size), HEAPU8.slice(password1, password1 + password1_size),
        HEAPU8.slice(password2, password2 + password2_size), UTF8ToString(codepage));
    return Module.page.refusal.length === 0;
});
// clang-format on

namespace brisol::web {
namespace {

constexpr int kFieldText = 0;
constexpr int kCodepageText = 1;
constexpr int kRefusalText = 2;

// A text the page allocated, wiped and freed once copied.
std::string taken(char* bytes, std::size_t size) {
    std::string text(bytes, size);
    secure_wipe(bytes, size);
    std::free(bytes);
    return text;
}

std::string page_text(int which, int id = 0) {
    std::size_t size = 0;
    char* bytes = ::page_text(which, id, &size);
    return taken(bytes, size);
}

class PageControls final : public WindowControls {
public:
    void set_enabled(int id, bool enabled) override { page_set_enabled(id, enabled ? 1 : 0); }
    void set_status_text(int part, const std::string& text) override {
        page_set_status(part, text.c_str());
    }
    std::string field_text(int id) const override { return page_text(kFieldText, id); }
    FileChoice choose_file(const std::string&) override {
        page_choose_file();
        return {{}, true};
    }
    void inform(const Message& message) override {
        page_inform(message.text.c_str(), static_cast<int>(message.kind));
    }
    void show_about_box() override { page_show_about(); }
    // A page is closed by its tab.
    void end_dialog() override {}
};

// The port over the page's workers: the desktop's refusals before a start,
// one operation at a time.
class PageOperations final : public Operations {
public:
    StartResult start(const StartRequest& request, CompletionSink& sink) override {
        if (sink_ != nullptr) return {false, std::string{messages::kBusy}};
        const std::string codepage = page_text(kCodepageText);
        StartCheck check = check_start(request, codepage);
        if (!check.refusal.empty()) return {false, std::move(check.refusal)};
        sink_ = &sink;
        output_path_ = std::move(check.output_path);
        if (!page_begin(request.direction == Direction::Crypt ? 0 : 1, output_path_.data(),
                        output_path_.size(), request.password1.data(), request.password1.size(),
                        request.password2.data(), request.password2.size(), codepage.c_str())) {
            sink_ = nullptr;
            return {false, page_text(kRefusalText)};
        }
        return {true, {}};
    }
    void cancel() override { page_cancel(); }
    bool busy() const override { return sink_ != nullptr; }
    void wait() override {}

    CompletionSink* sink() const { return sink_; }
    const std::string& output_path() const { return output_path_; }
    void ended() { sink_ = nullptr; }

private:
    CompletionSink* sink_ = nullptr;
    std::string output_path_;
};

struct PageWindow {
    PageControls controls;
    PageOperations operations;
    MainWindowRules rules{operations, controls, [this] { rules.run_queued(); },
                          FaceTraits{true, true}};
};

std::unique_ptr<PageWindow> page;

// How the page ends a run.
enum class PageEnd { Succeeded, Failed, Cancelled, Dismissed };

}  // namespace
}  // namespace brisol::web

using namespace brisol;
using namespace brisol::web;

extern "C" {

EMSCRIPTEN_KEEPALIVE void brisol_page_open() {
    page = std::make_unique<PageWindow>();
    page->rules.open();
}

EMSCRIPTEN_KEEPALIVE void brisol_page_command(int id) { page->rules.command(id); }

EMSCRIPTEN_KEEPALIVE void brisol_page_cancel() { page->rules.cancel(); }

// The open-file dialog's answer: the file's name, or none when it was dismissed.
EMSCRIPTEN_KEEPALIVE void brisol_page_file_chosen(const char* name, std::size_t name_size,
                                                  int chosen) {
    page->rules.file_chosen(chosen != 0 ? std::optional<std::string>{passed(name, name_size)}
                                        : std::nullopt);
}

// The last item dropped; a folder is refused as the desktop refuses one it is given.
EMSCRIPTEN_KEEPALIVE void brisol_page_drop(const char* name, std::size_t name_size, int is_folder) {
    if (is_folder == 0) return page->rules.drop({std::string{passed(name, name_size)}});
    page->controls.inform(
        Message{messages::file_error(messages::kCannotOpen, passed(name, name_size),
                                     platform::kErrorIsDirectory),
                MessageKind::Error});
}

EMSCRIPTEN_KEEPALIVE void brisol_page_progress(double done, double total) {
    if (CompletionSink* sink = page->operations.sink())
        sink->report_progress(static_cast<std::uint64_t>(done), static_cast<std::uint64_t>(total));
}

// The run's end (a PageEnd): a failure's message; for a stop or a failure, a
// note on what is left of the chosen file; after a Decrypt, what its result
// looks like.
EMSCRIPTEN_KEEPALIVE void brisol_page_end(int how, const char* message, std::size_t message_size,
                                          const char* note, std::size_t note_size,
                                          const char* content_kind, std::size_t content_kind_size,
                                          int looks_random) {
    CompletionSink* sink = page->operations.sink();
    if (sink == nullptr) return;
    OperationResult result;
    result.output_path = page->operations.output_path();
    switch (static_cast<PageEnd>(how)) {
        case PageEnd::Succeeded:
            result.content = ContentHint{std::string{passed(content_kind, content_kind_size)},
                                         looks_random != 0};
            break;
        case PageEnd::Failed:
            result.outcome = OperationOutcome::Failed;
            result.message = passed(message, message_size);
            break;
        case PageEnd::Cancelled:
            result.outcome = OperationOutcome::Cancelled;
            result.message = messages::cancelled(result.output_path);
            break;
        case PageEnd::Dismissed: result.outcome = OperationOutcome::Cancelled; break;
    }
    if (note_size > 0) result.message += "\n" + std::string{passed(note, note_size)};
    page->operations.ended();
    sink->show_completion(result);
}

}  // extern "C"
