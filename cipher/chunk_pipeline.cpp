#include "cipher/chunk_pipeline.h"

namespace brisol {

void ChunkPipeline::transform(Direction direction, std::uint8_t* data, std::size_t n) {
    const std::size_t full_chunks = n / kChunkSize;
    const std::size_t full_bytes = full_chunks * kChunkSize;
    if (direction == Direction::Crypt)
        kernels->crypt_chunks(level1, level2, data, full_chunks);
    else
        kernels->decrypt_chunks(level1, level2, data, full_chunks);
    kernels->level2_apply(level2, data + full_bytes, n - full_bytes);
}

PipelineResult ChunkPipeline::run(Direction direction, ByteSource& source, ByteSink& sink,
                                  ChunkBuffer& buffer, const PipelineControl& control) {
    PipelineResult result;
    const auto stop = [&result](PipelineOutcome outcome, int error) {
        result.outcome = outcome;
        result.error = error;
        return result;
    };
    const std::span<std::uint8_t> space = buffer.bytes();
    for (;;) {
        std::size_t filled = 0;
        bool at_end = false;
        // Fill the whole buffer: a short read before the end must not cut a
        // chunk short, or the layout would shift.
        while (filled < space.size()) {
            if (control.cancel && control.cancel->load(std::memory_order_relaxed))
                return stop(PipelineOutcome::Cancelled, 0);
            const IoStatus got = source.read(space.subspan(filled));
            if (got.error != 0) return stop(PipelineOutcome::SourceFailed, got.error);
            if (got.bytes == 0) {
                at_end = true;
                break;
            }
            filled += got.bytes;
        }
        if (filled > 0) {
            transform(direction, space.data(), filled);
            const IoStatus put = sink.write(space.first(filled));
            if (put.error != 0) return stop(PipelineOutcome::SinkFailed, put.error);
            result.bytes_done += filled;
            if (control.progress) control.progress(result.bytes_done);
        }
        if (at_end) return result;
    }
}

}  // namespace brisol
