// Its own test binary: it replaces the global allocation functions to count
// every allocation made while a pipeline runs.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>

#include "cipher_test_support.h"

namespace {
std::atomic<std::size_t> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace brisol {
namespace {

// Writes into room reserved before the run, so the sink allocates nothing.
class PreallocatedSink final : public ByteSink {
public:
    explicit PreallocatedSink(std::size_t capacity) : data(capacity) {}

    IoStatus write(std::span<const std::uint8_t> bytes) override {
        std::memcpy(data.data() + used, bytes.data(), bytes.size());
        used += bytes.size();
        return {bytes.size(), 0};
    }

    test::Bytes data;
    std::size_t used = 0;
};

TEST(ChunkPipelineAllocation, ARunOverManyChunksAllocatesNothing) {
    for (const Direction d : {Direction::Crypt, Direction::Decrypt}) {
        for (const std::size_t buffer_chunks : {1u, 3u}) {
            SCOPED_TRACE(testing::Message() << "buffer chunks " << buffer_chunks);
            const test::Bytes input = test::test_bytes(200 * kChunkSize + 123, 1);
            test::PreparedCiphers ciphers({"no", "allocation"});
            ChunkBuffer buffer(buffer_chunks);
            MemorySource source(input, 700);
            PreallocatedSink sink(input.size());
            std::atomic<bool> cancel{false};
            std::uint64_t reported = 0;
            const PipelineControl control{&cancel,
                                          [&reported](std::uint64_t done) { reported = done; }};

            const std::size_t before = allocations.load();
            const PipelineResult r = ciphers.pipeline().run(d, source, sink, buffer, control);
            const std::size_t during = allocations.load() - before;

            EXPECT_EQ(r.outcome, PipelineOutcome::Completed);
            EXPECT_EQ(sink.used, input.size());
            EXPECT_EQ(reported, input.size());
            EXPECT_EQ(during, 0u);
        }
    }
}

}  // namespace
}  // namespace brisol
