#pragma once
// Carries one operation's input to its output and applies both layers.
//
// Layout, by file offset, for an input of length L: the chunks at 512*m for
// m < L/512 are full chunks; the last L mod 512 bytes are the tail. Crypt
// applies the RC4 layer and then GOST feedback to each full chunk, Decrypt the
// reverse; the tail gets the RC4 layer only (layer_stages.h). Reads and
// writes move many chunks at a time, which changes no output byte because the
// layout depends only on offsets.

#include <atomic>
#include <cstdint>
#include <functional>

#include "byte_stream.h"
#include "chunk_buffer.h"
#include "kernels.h"
#include "layout.h"
#include "gost_layer.h"
#include "rc4_layer.h"

namespace brisol {

// Misaligned: the source handed on pieces that ended inside a chunk before
// its end, so no layer could be applied at the right offsets.
enum class PipelineOutcome { Completed, SourceFailed, SinkFailed, Cancelled, Misaligned };

struct PipelineResult {
    PipelineOutcome outcome = PipelineOutcome::Completed;
    int error = 0;                 // errno value of a failed read or write
    std::uint64_t bytes_done = 0;  // bytes written to the sink
};

struct PipelineControl {
    // Checked before every read; a set flag stops the run with Cancelled.
    const std::atomic<bool>* cancel = nullptr;
    // Called with the bytes written so far after every write.
    std::function<void(std::uint64_t)> progress;
};

struct ChunkPipeline {
    GostLayer& gost;
    Rc4Layer& rc4;
    const CipherKernels* kernels = &selected_kernels();
    // The source has done the first stage where it read the data, on a
    // thread of its own: the run does the second stage alone.
    bool first_stage_done = false;

    PipelineResult run(Direction direction, ByteSource& source, ByteSink& sink, ChunkBuffer& buffer,
                       const PipelineControl& control = {});
};

}  // namespace brisol
