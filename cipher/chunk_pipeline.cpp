#include "chunk_pipeline.h"

#include "layer_stages.h"

namespace brisol {

PipelineResult ChunkPipeline::run(Direction direction, ByteSource& source, ByteSink& sink,
                                  ChunkBuffer& buffer, const PipelineControl& control) {
    PipelineResult result;
    const std::span<std::uint8_t> space = buffer.bytes();
    LayerStage first(direction, Stage::First, *kernels);
    LayerStage second(direction, Stage::Second, *kernels);
    for (;;) {
        std::size_t filled = 0;
        bool at_end = false;
        // Fill the whole buffer: a short read before the end must not cut a
        // chunk short, or the layout would shift.
        while (filled < space.size()) {
            if (control.cancel && control.cancel->load(std::memory_order_relaxed))
                return {PipelineOutcome::Cancelled, 0, result.bytes_done};
            const IoStatus got = source.read(space.subspan(filled));
            if (got.error != 0)
                return {PipelineOutcome::SourceFailed, got.error, result.bytes_done};
            if (got.bytes == 0) {
                at_end = true;
                break;
            }
            filled += got.bytes;
        }
        if (filled > 0) {
            const std::span<std::uint8_t> piece = space.first(filled);
            if ((!first_stage_done && !first.apply(gost, rc4, piece)) ||
                !second.apply(gost, rc4, piece))
                return {PipelineOutcome::Misaligned, 0, result.bytes_done};
            const IoStatus put = sink.write(piece);
            if (put.error != 0) return {PipelineOutcome::SinkFailed, put.error, result.bytes_done};
            result.bytes_done += filled;
            if (control.progress) control.progress(result.bytes_done);
        }
        if (at_end) return result;
    }
}

}  // namespace brisol
