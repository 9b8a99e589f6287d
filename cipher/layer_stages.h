#pragma once
// Each direction's two layers as two stages over the same stream of bytes,
// so that each can run on a thread of its own. The first stage needs nothing
// from the second: Decrypt's GOST layer only the ciphertext, which is all in
// the data, and Crypt's RC4 layer only its own chain. The second stage is
// the serial chain through the whole file and follows the first over the
// same bytes:
//
//   direction   first stage                  second stage
//   Crypt       RC4, every chunk and tail    GOST feedback, full chunks
//   Decrypt     GOST feedback, full chunks   RC4, every chunk and tail
//
// So every full chunk gets its layers in the file's order and the tail the
// RC4 layer alone, whichever thread does which stage.
//
// A stage sees the stream in consecutive pieces from its start. The layout
// follows the offset in the stream, so every piece but the last must hold
// whole chunks; a stage refuses a piece that comes after one that ended
// inside a chunk, rather than apply its layer at the wrong offsets.
//
// Decrypt's first stage alone may also be shared: its register at a chunk
// boundary is the ciphertext block before it, which is in the input, so
// several stages can each take pieces of their own, every one restarted
// from the input's block before it.

#include <cstdint>
#include <span>

#include "kernels.h"
#include "layout.h"

namespace brisol {

enum class Stage { First, Second };
enum class Layer { Gost, Rc4 };

// The layer a stage applies: GOST is Crypt's second stage and Decrypt's first.
constexpr Layer stage_layer(Direction direction, Stage stage) noexcept {
    return (direction == Direction::Crypt) == (stage == Stage::Second) ? Layer::Gost : Layer::Rc4;
}

// Whether a direction's first stage may be shared between threads that each
// take pieces of their own (see restart()).
constexpr bool first_stage_shareable(Direction direction) noexcept {
    return stage_layer(direction, Stage::First) == Layer::Gost && direction == Direction::Decrypt;
}

class LayerStage {
public:
    LayerStage(Direction direction, Stage stage,
               const CipherKernels& kernels = selected_kernels()) noexcept;

    // Applies the stage to the next piece of the stream, in place. False,
    // with nothing done, for a piece after one that ended inside a chunk.
    [[nodiscard]] bool apply(GostLayer& gost, Rc4Layer& rc4,
                             std::span<std::uint8_t> piece) noexcept;

    // For a shareable first stage: the next piece does not follow the one
    // before, and `block_before` is the input's block just before it.
    static void restart(GostLayer& gost,
                        std::span<const std::uint8_t, kBlockSize> block_before) noexcept;

private:
    const CipherKernels* kernels_;
    // The GOST layer's pass in the stage's direction; null for the RC4 layer.
    void (*gost_)(GostLayer&, std::uint8_t* data, std::size_t blocks);
    bool ended_ = false;  // a piece ended inside a chunk
};

}  // namespace brisol
