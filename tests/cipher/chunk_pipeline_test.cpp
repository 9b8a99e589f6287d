#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <string_view>

#include "layer_stages.h"
#include "cipher_test_support.h"

namespace brisol {
namespace {

using test::Bytes;
using test::from_hex;
using test::Passwords;
using test::run_pipeline;

// Lengths around the chunk and buffer edges. The property tests use a buffer
// of two chunks, so the longer ones take several buffer fills.
const std::size_t kLengths[] = {0,    1,    511,           512,     513,
                                1024, 1300, 4 * 512 + 100, 7 * 512, 9 * 512 + 1};
constexpr test::RunOptions kTwoChunkBuffer{.buffer_chunks = 2};

const Passwords kPasswordPairs[] = {
    {"", ""},
    {"one", "two"},
    {"same", "same"},
    {"exactly thirty-one characters!!", "\xE9\xE8\xFF high bytes"},
};

Bytes crypt(const Bytes& in, Passwords p) {
    return run_pipeline(Direction::Crypt, in, p, kTwoChunkBuffer);
}
Bytes decrypt(const Bytes& in, Passwords p) {
    return run_pipeline(Direction::Decrypt, in, p, kTwoChunkBuffer);
}

std::size_t full_bytes(std::size_t length) { return length / kChunkSize * kChunkSize; }

Bytes slice(const Bytes& v, std::size_t begin, std::size_t end) {
    return Bytes(v.begin() + static_cast<std::ptrdiff_t>(begin),
                 v.begin() + static_cast<std::ptrdiff_t>(end));
}

Bytes xor_of(const Bytes& a, const Bytes& b) {
    Bytes out(a.size());
    for (std::size_t k = 0; k < a.size(); ++k) out[k] = a[k] ^ b[k];
    return out;
}

TEST(ChunkPipeline, DecryptRestoresCryptOutputOfTheSameLength) {
    for (const Passwords& p : kPasswordPairs) {
        for (const std::size_t length : kLengths) {
            SCOPED_TRACE(testing::Message() << "length " << length << " passwords \"" << p.one
                                            << "\" \"" << p.two << '"');
            const Bytes plain = test::test_bytes(length, static_cast<std::uint32_t>(length));
            const Bytes encrypted = crypt(plain, p);
            EXPECT_EQ(encrypted.size(), length);
            if (length > 0) {
                EXPECT_NE(encrypted, plain);
            }
            EXPECT_EQ(decrypt(encrypted, p), plain);
        }
    }
}

// The tail's output depends only on its own bytes and the RC4 layer: what
// stands in front of it and the first password leave it alone.
TEST(ChunkPipeline, TailCarriesOnlyTheRc4Layer) {
    for (const std::size_t length : kLengths) {
        const std::size_t tail_start = full_bytes(length);
        if (tail_start == length) continue;
        SCOPED_TRACE(testing::Message() << "length " << length);
        const Bytes keystream = slice(crypt(Bytes(length, 0), {"one", "two"}), tail_start, length);
        const Bytes plain = test::test_bytes(length, 99);
        const Bytes with_other_key1 = crypt(plain, {"another one", "two"});
        EXPECT_EQ(slice(with_other_key1, tail_start, length),
                  xor_of(slice(plain, tail_start, length), keystream));
    }
}

TEST(ChunkPipeline, FileShorterThanAChunkIsPlainXorStandardRc4) {
    // RFC 6229, 256-bit key 0102..1f20: keystream at DEC 0 and DEC 496 (the
    // last of its 16 bytes lies beyond a 511-byte file).
    const Bytes key2 = from_hex("0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20");
    const Bytes at_0 = from_hex("eaa6bd25880bf93d3f5d1e4ca2611d91");
    const Bytes at_496 = from_hex("91cb93c787964e10d9527d999c6f93");

    const Bytes plain = test::test_bytes(511, 7);
    test::PreparedCiphers ciphers(make_password_key("any"), test::key_from_bytes(key2));
    ChunkBuffer buffer(1);
    MemorySource source(plain);
    MemorySink sink;
    ciphers.pipeline().run(Direction::Crypt, source, sink, buffer);

    ASSERT_EQ(sink.data.size(), 511u);
    EXPECT_EQ(xor_of(slice(sink.data, 0, 16), slice(plain, 0, 16)), at_0);
    EXPECT_EQ(xor_of(slice(sink.data, 496, 511), slice(plain, 496, 511)), at_496);
    EXPECT_EQ(ciphers.gost.reg, FeedbackRegister{});
}

TEST(ChunkPipeline, WrongFirstPasswordRestoresOnlyTheTailWrongSecondNothing) {
    const Passwords right{"first", "second"};
    for (const std::size_t length : {512u + 100u, 3u * 512u + 276u}) {
        SCOPED_TRACE(testing::Message() << "length " << length);
        const std::size_t tail_start = full_bytes(length);
        const Bytes plain = test::test_bytes(length, 1);
        const Bytes encrypted = crypt(plain, right);

        const Bytes wrong_first = decrypt(encrypted, {"First", right.two});
        EXPECT_EQ(slice(wrong_first, tail_start, length), slice(plain, tail_start, length));
        const Bytes wrong_second = decrypt(encrypted, {right.one, "Second"});
        EXPECT_NE(slice(wrong_second, tail_start, length), slice(plain, tail_start, length));
        for (std::size_t c = 0; c < tail_start; c += kChunkSize) {
            EXPECT_NE(slice(wrong_first, c, c + kChunkSize), slice(plain, c, c + kChunkSize))
                << "chunk at " << c;
            EXPECT_NE(slice(wrong_second, c, c + kChunkSize), slice(plain, c, c + kChunkSize))
                << "chunk at " << c;
        }
    }
}

TEST(ChunkPipeline, OnlyTheFirst31CharactersOfAPasswordCount) {
    const std::string base(31, 'k');
    const Bytes plain = test::test_bytes(1300, 2);
    const Bytes reference = crypt(plain, {base, base});
    EXPECT_EQ(crypt(plain, {base + "tail one", base + "tail two"}), reference);
    const std::string changed_31st = base.substr(0, 30) + "K";
    EXPECT_NE(crypt(plain, {changed_31st, base}), reference);
    EXPECT_NE(crypt(plain, {base, changed_31st}), reference);
}

TEST(ChunkPipeline, EmptyInputLeavesBothLayersAsTheyWere) {
    for (const Direction d : {Direction::Crypt, Direction::Decrypt}) {
        test::PreparedCiphers ciphers({"one", "two"});
        ciphers.gost.reg = {0x11111111, 0x22222222};
        const GostLayer gost_before = ciphers.gost;
        const auto s_before = ciphers.rc4.s;
        ChunkBuffer buffer(1);
        MemorySource source({});
        MemorySink sink;
        const PipelineResult r = ciphers.pipeline().run(d, source, sink, buffer);
        EXPECT_EQ(r.outcome, PipelineOutcome::Completed);
        EXPECT_EQ(r.bytes_done, 0u);
        EXPECT_TRUE(sink.data.empty());
        EXPECT_EQ(ciphers.gost.reg, gost_before.reg);
        EXPECT_EQ(ciphers.rc4.s, s_before);
    }
}

// However the input arrives and however big the buffer, the bytes written
// are those the chunk layout defines.
TEST(ChunkPipeline, OutputIsTheSameForEveryBufferSizeAndReadSize) {
    const Passwords p{"buffer", "sizes"};
    for (const Direction d : {Direction::Crypt, Direction::Decrypt}) {
        const Bytes big = test::test_bytes(600 * kChunkSize + 77, 4);
        const Bytes big_expected = run_pipeline(d, big, p, {.buffer_chunks = 1});
        for (const std::size_t chunks : {2u, 3u, 512u})
            EXPECT_EQ(run_pipeline(d, big, p, {.buffer_chunks = chunks}), big_expected)
                << "buffer chunks " << chunks;

        const Bytes small = test::test_bytes(3 * kChunkSize + 100, 5);
        const Bytes small_expected = run_pipeline(d, small, p);
        for (std::size_t max_read = 1; max_read <= 600; ++max_read)
            ASSERT_EQ(run_pipeline(d, small, p, {.buffer_chunks = 2, .max_read = max_read}),
                      small_expected)
                << "reads of at most " << max_read;
    }
}

TEST(ChunkPipeline, TransformOverTheWholeInputEqualsARun) {
    const Passwords p{"in", "place"};
    for (const Direction d : {Direction::Crypt, Direction::Decrypt}) {
        for (const std::size_t length : kLengths) {
            SCOPED_TRACE(testing::Message() << "length " << length);
            Bytes data = test::test_bytes(length, 8);
            const Bytes expected = run_pipeline(d, data, p, kTwoChunkBuffer);
            test::PreparedCiphers ciphers(p);
            test::transform(d, ciphers.gost, ciphers.rc4, data);
            EXPECT_EQ(data, expected);
        }
    }
}

// The first stage over the whole input, then the second, each in pieces of
// its own size, as the reading thread's buffers and the pipeline's differ.
TEST(ChunkPipeline, StagesInPiecesOfTheirOwnEqualARun) {
    const Passwords p{"first stage", "second stage"};
    const std::size_t piece_sizes[][2] = {
        {512, 512}, {3 * 512, 512}, {512, 5 * 512}, {2 * 512, 3 * 512}};
    for (const Direction d : {Direction::Crypt, Direction::Decrypt}) {
        for (const std::size_t length : kLengths) {
            for (const auto& sizes : piece_sizes) {
                SCOPED_TRACE(testing::Message() << "length " << length << ", pieces " << sizes[0]
                                                << " then " << sizes[1]);
                Bytes data = test::test_bytes(length, 12);
                const Bytes expected = run_pipeline(d, data, p, kTwoChunkBuffer);
                test::PreparedCiphers ciphers(p);
                for (const Stage stage : {Stage::First, Stage::Second}) {
                    LayerStage layer(d, stage);
                    const std::size_t size = sizes[stage == Stage::First ? 0 : 1];
                    for (std::size_t at = 0; at < length; at += size)
                        ASSERT_TRUE(
                            layer.apply(ciphers.gost, ciphers.rc4,
                                        std::span(data).subspan(at, std::min(size, length - at))));
                }
                EXPECT_EQ(data, expected);
            }
        }
    }
}

TEST(ChunkPipeline, AStageRefusesAPieceAfterOneThatEndedInsideAChunk) {
    for (const Stage stage : {Stage::First, Stage::Second}) {
        test::PreparedCiphers ciphers(Passwords{"a", "b"});
        LayerStage layer(Direction::Crypt, stage);
        Bytes short_piece(100, 1);
        Bytes next(512, 2);
        ASSERT_TRUE(layer.apply(ciphers.gost, ciphers.rc4, short_piece));
        EXPECT_TRUE(layer.apply(ciphers.gost, ciphers.rc4, std::span<std::uint8_t>{}));
        EXPECT_FALSE(layer.apply(ciphers.gost, ciphers.rc4, next));
        EXPECT_EQ(next, Bytes(512, 2)) << "a refused piece is left as it was";
    }
}

// Hands out the data, then fails with errno_value once fail_at bytes are gone.
class FailingSource final : public ByteSource {
public:
    FailingSource(const Bytes& data, std::size_t fail_at, int errno_value)
        : data_(data), fail_at_(fail_at), errno_(errno_value) {}

    IoStatus read(std::span<std::uint8_t> into) override {
        if (offset_ == fail_at_) return {0, errno_};
        const std::size_t n = std::min(into.size(), fail_at_ - offset_);
        std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(offset_), n, into.begin());
        offset_ += n;
        return {n, 0};
    }

private:
    const Bytes& data_;
    std::size_t fail_at_;
    int errno_;
    std::size_t offset_ = 0;
};

// Takes writes until capacity is reached, then reports a full device.
class FullSink final : public ByteSink {
public:
    explicit FullSink(std::size_t capacity) : capacity_(capacity) {}

    IoStatus write(std::span<const std::uint8_t> bytes) override {
        ++calls;
        if (data.size() + bytes.size() > capacity_) {
            ++calls_after_full;
            const std::size_t fits = capacity_ - data.size();
            data.insert(data.end(), bytes.begin(),
                        bytes.begin() + static_cast<std::ptrdiff_t>(fits));
            return {fits, ENOSPC};
        }
        data.insert(data.end(), bytes.begin(), bytes.end());
        return {bytes.size(), 0};
    }

    Bytes data;
    int calls = 0;
    int calls_after_full = 0;

private:
    std::size_t capacity_;
};

TEST(ChunkPipeline, FailedReadIsReportedWithItsReason) {
    const Passwords p{"read", "error"};
    const Bytes input = test::test_bytes(10 * kChunkSize, 6);
    const Bytes full_output = run_pipeline(Direction::Crypt, input, p);
    for (const std::size_t fail_at : {0u, 100u, 1024u, 2500u, 5119u}) {
        SCOPED_TRACE(testing::Message() << "fails after " << fail_at);
        test::PreparedCiphers ciphers(p);
        ChunkBuffer buffer(2);
        FailingSource source(input, fail_at, EIO);
        MemorySink sink;
        const PipelineResult r = ciphers.pipeline().run(Direction::Crypt, source, sink, buffer);
        EXPECT_EQ(r.outcome, PipelineOutcome::SourceFailed);
        EXPECT_EQ(r.error, EIO);
        EXPECT_EQ(r.bytes_done, sink.data.size());
        EXPECT_LE(sink.data.size(), fail_at);
        EXPECT_EQ(sink.data, slice(full_output, 0, sink.data.size()));
    }
}

TEST(ChunkPipeline, FailedWriteIsReportedAndEndsTheRun) {
    const Bytes input = test::test_bytes(10 * kChunkSize, 6);
    for (const std::size_t capacity : {0u, 700u, 2048u, 5119u}) {
        SCOPED_TRACE(testing::Message() << "sink holds " << capacity);
        test::PreparedCiphers ciphers({"write", "error"});
        ChunkBuffer buffer(2);
        MemorySource source(input);
        FullSink sink(capacity);
        const PipelineResult r = ciphers.pipeline().run(Direction::Crypt, source, sink, buffer);
        EXPECT_EQ(r.outcome, PipelineOutcome::SinkFailed);
        EXPECT_EQ(r.error, ENOSPC);
        EXPECT_LE(r.bytes_done, capacity);
        EXPECT_EQ(sink.calls_after_full, 1);
    }
}

TEST(ChunkPipeline, CancelFromTheProgressCallbackStopsTheRun) {
    const Bytes input = test::test_bytes(10 * kChunkSize, 6);
    test::PreparedCiphers ciphers({"stop", "now"});
    ChunkBuffer buffer(2);
    MemorySource source(input);
    MemorySink sink;
    std::atomic<bool> cancel{false};
    std::uint64_t last_reported = 0;
    PipelineControl control{&cancel, [&](std::uint64_t done) {
                                last_reported = done;
                                cancel = true;
                            }};
    const PipelineResult r =
        ciphers.pipeline().run(Direction::Crypt, source, sink, buffer, control);
    EXPECT_EQ(r.outcome, PipelineOutcome::Cancelled);
    EXPECT_GT(last_reported, 0u);
    EXPECT_LT(r.bytes_done, input.size());
    EXPECT_EQ(r.bytes_done, last_reported);
    EXPECT_EQ(sink.data.size(), r.bytes_done);
}

TEST(ChunkPipeline, CancelBeforeTheStartWritesNothing) {
    const Bytes input = test::test_bytes(3 * kChunkSize, 6);
    test::PreparedCiphers ciphers({"never", "started"});
    ChunkBuffer buffer(2);
    MemorySource source(input);
    MemorySink sink;
    const std::atomic<bool> cancel{true};
    const PipelineResult r = ciphers.pipeline().run(Direction::Crypt, source, sink, buffer,
                                                    {.cancel = &cancel, .progress = {}});
    EXPECT_EQ(r.outcome, PipelineOutcome::Cancelled);
    EXPECT_EQ(r.bytes_done, 0u);
    EXPECT_TRUE(sink.data.empty());
}

}  // namespace
}  // namespace brisol
