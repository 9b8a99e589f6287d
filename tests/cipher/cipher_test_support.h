#pragma once
// Small helpers shared by the cipher tests: hex literals, reproducible data,
// key blocks from raw bytes, and a whole pipeline run from two passwords.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

#include "chunk_buffer.h"
#include "chunk_pipeline.h"
#include "layer_stages.h"
#include "layout.h"
#include "password_key.h"
#include "memory_stream.h"

namespace brisol::test {

using Bytes = std::vector<std::uint8_t>;

// Hex digits with any spacing, as published tables print them.
inline Bytes from_hex(std::string_view hex) {
    const auto nibble = [](char c) -> std::uint8_t {
        if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
        if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
        return static_cast<std::uint8_t>(c - 'A' + 10);
    };
    Bytes out;
    std::uint8_t high = 0;
    bool have_high = false;
    for (const char c : hex) {
        if (c == ' ' || c == '\n') continue;
        if (have_high)
            out.push_back(static_cast<std::uint8_t>(high << 4 | nibble(c)));
        else
            high = nibble(c);
        have_high = !have_high;
    }
    return out;
}

// Reproducible bytes: mt19937's output sequence is fixed by the standard.
inline Bytes test_bytes(std::size_t n, std::uint32_t seed) {
    std::mt19937 engine(seed);
    Bytes out(n);
    for (auto& b : out) b = static_cast<std::uint8_t>(engine());
    return out;
}

// A key block holding any 32 bytes, including a non-zero last byte that no
// password can produce.
inline PasswordKey key_from_bytes(const Bytes& bytes) {
    PasswordKey key;
    std::copy_n(bytes.begin(), std::min(bytes.size(), key.size()), key.begin());
    return key;
}

struct Passwords {
    std::string_view one;
    std::string_view two;
};

// Fresh ciphers for one operation, prepared the way an operation prepares them.
struct PreparedCiphers {
    GostLayer gost;
    Rc4Layer rc4;

    PreparedCiphers(const PasswordKey& key1, const PasswordKey& key2) : gost(key1), rc4(key2) {}
    explicit PreparedCiphers(Passwords p)
        : PreparedCiphers(make_password_key(p.one), make_password_key(p.two)) {}

    ChunkPipeline pipeline(const CipherKernels& kernels = selected_kernels()) {
        return ChunkPipeline{gost, rc4, &kernels};
    }
};

// Both stages of a direction over the whole of data, as a run does them.
inline void transform(Direction direction, GostLayer& gost, Rc4Layer& rc4,
                      std::span<std::uint8_t> data) {
    for (const Stage stage : {Stage::First, Stage::Second})
        EXPECT_TRUE(LayerStage(direction, stage).apply(gost, rc4, data));
}

struct RunOptions {
    std::size_t buffer_chunks = ChunkBuffer::kDefaultChunks;
    std::size_t max_read = SIZE_MAX;
    const CipherKernels* kernels = nullptr;  // the selected ones
};

inline Bytes run_pipeline(Direction direction, const Bytes& input, Passwords passwords,
                          RunOptions options = {}) {
    PreparedCiphers ciphers(passwords);
    ChunkBuffer buffer(options.buffer_chunks);
    MemorySource source(input, options.max_read);
    MemorySink sink;
    ciphers.pipeline(options.kernels ? *options.kernels : selected_kernels())
        .run(direction, source, sink, buffer);
    return sink.data;
}

}  // namespace brisol::test
