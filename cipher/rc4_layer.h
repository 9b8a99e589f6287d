#pragma once
// The RC4 layer: an RC4 keystream keyed by the 32-byte PASSWORD-2 key block.
//
// How it differs from plain RC4: the permutation S runs on through every chunk
// of an operation, but the indices i and j start again from zero at each
// chunk. Since a full chunk is 512 bytes, i lines up with a continuous stream;
// only j's restart makes the keystream depart from RC4 after the first chunk.
// The key length is always 32 bytes: a short password's zero terminator and
// padding take part in the key schedule.
// Look-ups are indexed by secret state and are not constant-time.

#include <cstddef>
#include <cstdint>

#include "layout.h"
#include "password_key.h"
#include "secure_memory.h"

namespace brisol {

struct Rc4Layer {
    explicit Rc4Layer(const PasswordKey& key) noexcept;

    WipedArray<std::uint8_t, 256> s;
};

void set_key(Rc4Layer& cipher, const PasswordKey& key) noexcept;

// XORs the keystream of one chunk over data[0..n), n <= 512, advancing S.
void apply(Rc4Layer& cipher, std::uint8_t* data, std::size_t n) noexcept;

// apply() over consecutive chunks: data starts at a chunk boundary and only
// its last chunk may be short.
void apply_chunks(Rc4Layer& cipher, std::uint8_t* data, std::size_t n) noexcept;
// The same, faster, with the permutation in 32-bit words (rc4_words.cpp).
void apply_chunks_in_words(Rc4Layer& cipher, std::uint8_t* data, std::size_t n) noexcept;

// Calls chunk(start, length) for each chunk of such data, in order.
template <class Chunk>
void for_each_chunk(std::uint8_t* data, std::size_t n, Chunk chunk) {
    for (std::size_t at = 0; at < n; at += kChunkSize)
        chunk(data + at, n - at < kChunkSize ? n - at : kChunkSize);
}

}  // namespace brisol
