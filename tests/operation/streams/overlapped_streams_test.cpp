// Reading ahead and writing behind must hand on exactly the bytes, errors and
// end of the stream they wrap, in order, however the buffers fall. Buffers of
// one chunk make the ring wrap around many times.

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

#include "../../cipher/cipher_test_support.h"
#include "../../cipher/memory_stream.h"
#include "../test_files.h"
#include "kernels.h"
#include "layer_stages.h"
#include "read_ahead.h"
#include "write_behind.h"

namespace brisol {
namespace {

std::vector<std::uint8_t> bytes_of(std::size_t size) {
    const std::string text = testing::pattern_bytes(size);
    return {text.begin(), text.end()};
}

// Answers like MemorySource, then fails with `error` instead of ending.
class FailingAtEnd final : public ByteSource {
public:
    FailingAtEnd(std::span<const std::uint8_t> data, std::size_t max_read, int error)
        : inner_(data, max_read), error_(error) {}
    IoStatus read(std::span<std::uint8_t> into) override {
        const IoStatus got = inner_.read(into);
        return got.bytes == 0 ? IoStatus{0, error_} : got;
    }

private:
    MemorySource inner_;
    int error_;
};

// Takes `room` bytes, then fails every write with ENOSPC.
class FullingSink final : public ByteSink {
public:
    explicit FullingSink(std::size_t room) : room_(room) {}
    IoStatus write(std::span<const std::uint8_t> bytes) override {
        if (data.size() + bytes.size() > room_) return {0, ENOSPC};
        data.insert(data.end(), bytes.begin(), bytes.end());
        return {bytes.size(), 0};
    }
    std::vector<std::uint8_t> data;

private:
    std::size_t room_;
};

struct StreamCase {
    std::size_t size;
    std::size_t max_read;  // of the wrapped source
    std::size_t asked;     // per read or write of the caller
    int error_at_end;      // 0: the source ends; else it fails there
};

const StreamCase kCases[] = {
    {0, SIZE_MAX, 512, 0},   {1, SIZE_MAX, 512, 0}, {511, 100, 512, 0},
    {512, SIZE_MAX, 512, 0}, {513, 7, 300, 0},      {20000, 1000, 4096, 0},
    {0, SIZE_MAX, 512, EIO}, {5000, 999, 512, EIO}, {20000, SIZE_MAX, 1024, EIO},
};

TEST(OverlappedStreams, ReadAheadHandsOnBytesThenTheEndOrTheError) {
    for (const StreamCase& c : kCases) {
        SCOPED_TRACE(::testing::Message() << c.size << " bytes, error " << c.error_at_end);
        const std::vector<std::uint8_t> data = bytes_of(c.size);
        FailingAtEnd failing(data, c.max_read, c.error_at_end);
        MemorySource ending(data, c.max_read);
        ByteSource& inner = c.error_at_end != 0 ? static_cast<ByteSource&>(failing) : ending;
        ReadAheadSource source(inner, kChunkSize);
        std::vector<std::uint8_t> got;
        std::vector<std::uint8_t> piece(c.asked);
        IoStatus status;
        while ((status = source.read(piece)).bytes > 0)
            got.insert(got.end(), piece.begin(), piece.begin() + static_cast<long>(status.bytes));
        EXPECT_EQ(got, data);
        EXPECT_EQ(status.error, c.error_at_end);
        EXPECT_EQ(source.read(piece).error, c.error_at_end) << "the end is reported again";
    }
}

TEST(OverlappedStreams, WriteBehindWritesInOrderAndReportsTheFirstFailure) {
    for (const StreamCase& c : kCases) {
        SCOPED_TRACE(::testing::Message() << c.size << " bytes, full " << c.error_at_end);
        const std::vector<std::uint8_t> data = bytes_of(c.size);
        // A full disk stops the writes at the piece that no longer fits.
        const std::size_t room = c.error_at_end != 0 ? c.size / 2 : SIZE_MAX;
        FullingSink inner(room);
        WriteBehindSink sink(inner, kChunkSize);
        int failure = 0;
        for (std::size_t at = 0; at < c.size && failure == 0; at += c.asked)
            failure = sink.write(std::span(data).subspan(at, std::min(c.asked, c.size - at))).error;
        const int finished = sink.finish();
        if (failure == 0) failure = finished;
        const bool fits = room >= c.size;
        EXPECT_EQ(failure, fits ? 0 : ENOSPC);
        EXPECT_EQ(finished, fits ? 0 : ENOSPC) << "finish reports a failure seen earlier too";
        EXPECT_TRUE(std::equal(inner.data.begin(), inner.data.end(), data.begin()));
        if (fits) {
            EXPECT_EQ(inner.data.size(), c.size);
        }
    }
}

// Each layer on its own thread, as files are done: the first where the
// input is read, the second in the pipeline, whatever the read-ahead buffers,
// the pipeline's buffer and the reads the source gives.
TEST(OverlappedStreams, LayersSplitAcrossThreadsGiveTheReferenceBytes) {
    struct SplitCase {
        std::size_t ring_chunks;
        std::size_t pipeline_chunks;
        std::size_t max_read;
    };
    const SplitCase splits[] = {{1, 1, SIZE_MAX}, {1, 3, 700}, {3, 1, 1}, {4, 4, 513}};
    const std::size_t lengths[] = {0, 1, 511, 512, 513, 3 * 512 + 100, 20 * 512 + 7};
    const test::Passwords passwords{"split one", "split two"};
    for (const SplitCase& c : splits) {
        for (const std::size_t length : lengths) {
            const test::Bytes input = test::test_bytes(length, static_cast<std::uint32_t>(length));
            for (const Direction direction : {Direction::Crypt, Direction::Decrypt}) {
                SCOPED_TRACE(::testing::Message()
                             << length << " bytes, ring " << c.ring_chunks << ", pipeline "
                             << c.pipeline_chunks << ", reads " << c.max_read
                             << (direction == Direction::Crypt ? ", crypt" : ", decrypt"));
                test::PreparedCiphers ciphers(passwords);
                MemorySource inner(input, c.max_read);
                LayerStage first(direction, Stage::First);
                ReadAheadSource source(
                    inner, c.ring_chunks * kChunkSize, [&](std::span<std::uint8_t> data) {
                        EXPECT_TRUE(first.apply(ciphers.gost, ciphers.rc4, data));
                    });
                MemorySink sink;
                ChunkBuffer buffer(c.pipeline_chunks);
                ChunkPipeline pipeline = ciphers.pipeline();
                pipeline.first_stage_done = true;
                pipeline.run(direction, source, sink, buffer);
                EXPECT_EQ(sink.data, test::run_pipeline(direction, input, passwords,
                                                        {.kernels = &supported_kernels().front()}));
            }
        }
    }
}

}  // namespace
}  // namespace brisol
