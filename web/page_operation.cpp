// One operation of the page's workers, started by the window's rules
// (page_window.cpp) once they have found nothing to refuse: each worker runs
// a stage of layer_stages.h over its slices of the file, in order: begin(),
// apply() for each slice (after restart() for one that does not follow the
// slice before, where workers share the stage) and finish() (or end()). A
// worker gets only the password of its stage's layer and makes its key block
// itself, so no key crosses threads, and everything that held keys or data is
// wiped at the end.

#include <emscripten/emscripten.h>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "layer_stages.h"
#include "gost_layer.h"
#include "rc4_layer.h"
#include "secure_memory.h"
#include "content_check.h"
#include "messages.h"
#include "codepage.h"
#include "exported_text.h"
#include "json_text.h"

namespace brisol::web {
namespace {

// About 1 MiB of whole chunks: big enough that the hops between JavaScript and
// WebAssembly cost nothing, small enough that a slice is never felt.
constexpr std::size_t kSliceBytes = 2048 * kChunkSize;

Direction direction_of(int direction) {
    return direction == 0 ? Direction::Crypt : Direction::Decrypt;
}
Stage stage_of(int stage) { return stage == 0 ? Stage::First : Stage::Second; }

// One worker's stage. The layer it does not apply is keyed by a block of
// zeros, which stands for no password, since LayerStage takes both layers.
struct Operation {
    Operation(Direction direction, Stage stage, const PasswordKey& key)
        : direction(direction),
          stage(stage),
          gost(layer() == Layer::Gost ? key : PasswordKey{}),
          rc4(layer() == Layer::Rc4 ? key : PasswordKey{}),
          layer_stage(direction, stage) {}
    ~Operation() {
        secure_wipe(slice.data(), slice.size());
        secure_wipe(head.data(), head.size());
    }
    Layer layer() const { return stage_layer(direction, stage); }

    Direction direction;
    Stage stage;
    GostLayer gost;
    Rc4Layer rc4;
    LayerStage layer_stage;
    std::array<std::uint8_t, kSliceBytes> slice{};
    // The start of Decrypt's result, for the look at it.
    std::array<std::uint8_t, kContentSampleBytes> head{};
    std::size_t head_bytes = 0;
};

std::unique_ptr<Operation> running;
std::string text_storage;

}  // namespace
}  // namespace brisol::web

using namespace brisol;
using namespace brisol::web;

extern "C" {

EMSCRIPTEN_KEEPALIVE std::size_t brisol_slice_bytes() { return kSliceBytes; }

// The GOST layer's block, from which a shared stage restarts.
EMSCRIPTEN_KEEPALIVE std::size_t brisol_block_bytes() { return kBlockSize; }

// Where the register block of a "made right after" file lies, or -1 with
// brisol_after_refusal() saying why there is none.
EMSCRIPTEN_KEEPALIVE double brisol_after_offset(double size) {
    const std::optional<std::uint64_t> offset =
        last_feedback_block_offset(static_cast<std::uint64_t>(size));
    return offset ? static_cast<double>(*offset) : -1;
}

EMSCRIPTEN_KEEPALIVE const char* brisol_after_refusal(const char* name, std::size_t name_size) {
    return exported(text_storage, messages::no_full_chunk(passed(name, name_size)));
}

// "Cannot read "FILE": reason" (verb 0) or "Cannot write" (verb 1).
EMSCRIPTEN_KEEPALIVE const char* brisol_file_error(int verb, const char* name,
                                                   std::size_t name_size, const char* reason,
                                                   std::size_t reason_size) {
    return exported(text_storage,
                    messages::file_error(verb == 0 ? messages::kCannotRead : messages::kCannotWrite,
                                         passed(name, name_size), passed(reason, reason_size)));
}

// The desktop's message for an input that came back short, or whose size or
// modification time moved since it was chosen.
EMSCRIPTEN_KEEPALIVE const char* brisol_input_changed(const char* name, std::size_t name_size) {
    return exported(text_storage,
                    messages::file_error(messages::kCannotRead, passed(name, name_size),
                                         messages::kInputChanged));
}

// Which password keys a direction's stage (0 first, 1 second): 1 for the
// GOST layer, which also takes the register of a file made before, 2 for RC4.
EMSCRIPTEN_KEEPALIVE int brisol_stage_password(int direction, int stage) {
    return stage_layer(direction_of(direction), stage_of(stage)) == Layer::Gost ? 1 : 2;
}

// Starts a stage of an operation in the worker; the slice buffer it returns
// takes each slice in turn. `after` is the register block of the file made
// before, or empty. Null when the password is refused, which refusal() said
// before.
EMSCRIPTEN_KEEPALIVE std::uint8_t* brisol_begin(int direction, int stage, const char* password,
                                                std::size_t password_size, const char* codepage,
                                                std::size_t codepage_size,
                                                const std::uint8_t* after, std::size_t after_size) {
    running.reset();
    const PasswordKeyResult key = password_key_from_text(
        passed(password, password_size), std::string{passed(codepage, codepage_size)});
    if (key.error != PasswordTextError::None) return nullptr;
    running = std::make_unique<Operation>(direction_of(direction), stage_of(stage), key.key);
    if (after_size == kBlockSize)
        running->gost.reg = FeedbackRegister::from_block(
            std::span<const std::uint8_t, kBlockSize>(after, kBlockSize));
    return running->slice.data();
}

// Whether workers may share a direction's first stage, each taking slices of
// its own (layer_stages.h).
EMSCRIPTEN_KEEPALIVE int brisol_first_stage_shared(int direction) {
    return first_stage_shareable(direction_of(direction));
}

// Starts such a stage at a slice that does not follow the one before it
// from the input block before that slice.
EMSCRIPTEN_KEEPALIVE void brisol_restart(const std::uint8_t* block, std::size_t block_size) {
    if (block_size == kBlockSize)
        LayerStage::restart(running->gost,
                            std::span<const std::uint8_t, kBlockSize>(block, kBlockSize));
}

// The stage over the next `size` bytes of the slice buffer, in place. Empty,
// or the message for a slice after a short one of the input `name`, which
// would put the layout at wrong offsets.
EMSCRIPTEN_KEEPALIVE const char* brisol_apply(std::size_t size, const char* name,
                                              std::size_t name_size) {
    Operation& op = *running;
    const std::span<std::uint8_t> piece(op.slice.data(), size);
    if (!op.layer_stage.apply(op.gost, op.rc4, piece))
        return exported(text_storage,
                        messages::file_error(messages::kCannotRead, passed(name, name_size),
                                             messages::kMisaligned));
    if (op.direction == Direction::Decrypt && op.stage == Stage::Second) {
        const std::size_t kept = std::min(size, op.head.size() - op.head_bytes);
        std::copy_n(piece.begin(), kept, op.head.begin() + op.head_bytes);
        op.head_bytes += kept;
    }
    return exported(text_storage, {});
}

// Ends the second stage with what Decrypt's result looks like, as JSON: the
// kind it matched ("" for none) and whether it looks random.
EMSCRIPTEN_KEEPALIVE const char* brisol_finish(double total) {
    ContentHint hint;
    if (running->direction == Direction::Decrypt)
        hint = check_content(std::span(running->head).first(running->head_bytes),
                             static_cast<std::uint64_t>(total));
    running.reset();
    return exported(text_storage, "{\"kind\":" + json_string(hint.kind) + ",\"looksRandom\":" +
                                      (hint.looks_random ? "true" : "false") + "}");
}

// Ends a stage without a message: the first one, or either on cancel or failure.
EMSCRIPTEN_KEEPALIVE void brisol_end() { running.reset(); }

}  // extern "C"
