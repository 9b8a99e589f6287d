#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "cipher/chunk_pipeline.h"
#include "cipher/memory_stream.h"

namespace brisol {
namespace {

std::vector<std::uint8_t> run(Direction d, const std::vector<std::uint8_t>& in) {
    Level1Cipher l1;
    Level2Cipher l2;
    build_tables(l1);
    set_key(l1, make_password_key("one"));
    set_key(l2, make_password_key("two"));
    ChunkBuffer buf(2);
    MemorySource src(in);
    MemorySink sink;
    ChunkPipeline{l1, l2}.run(d, src, sink, buf);
    return sink.data;
}

TEST(Smoke, RoundTrip) {
    std::vector<std::uint8_t> in(5000);
    std::iota(in.begin(), in.end(), 0);
    auto enc = run(Direction::Crypt, in);
    EXPECT_NE(enc, in);
    EXPECT_EQ(run(Direction::Decrypt, enc), in);
}

}  // namespace
}  // namespace brisol
