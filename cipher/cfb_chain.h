#pragma once
// The 32-step basic transform and both sides of the cipher feedback, written
// once for the reference code and every kernel. A kernel supplies its round
// (word ^ f(x) over its word type) and, to decrypt, how its block registers
// load, store, shift by one block and split into words.
//
// What is unusual here:
// - A kernel built for an instruction set includes this inside its own
//   target region (x86/target_region.h), so the templates compile for those
//   instructions with the kernel's code inlined. Everything here therefore
//   has internal linkage: no copy built for one instruction set may stand in
//   for another's at link time.
// - Decrypting, the gamma of block k is the encryption of ciphertext block
//   k-1, all of which are in the data, so a group of blocks is encrypted
//   together; encrypting, each gamma needs the block before it and the chain
//   is serial.

#include <cstddef>
#include <cstdint>

#include "byte_order.h"
#include "layout.h"
#include "gost_layer.h"

namespace brisol {
namespace {

// The basic transform of N independent blocks, words 0 in n1 and words 1 in
// n2, which hold the result's words 0 and 1 afterwards. kUnrolled trades code
// size for loop overhead; a kernel whose unrolled rounds outgrow the
// decoded-op cache is faster rolled.
template <auto Round, bool kUnrolled = true, class Word, std::size_t N>
[[gnu::always_inline]] inline void basic_transform(Word (&n1)[N], Word (&n2)[N],
                                                   const RoundKeys& keys) {
    const auto round_pair = [&](std::size_t step) __attribute__((always_inline)) {
#pragma GCC unroll 8
        for (std::size_t b = 0; b < N; ++b) n2[b] = Round(n2[b], n1[b] + keys[step]);
#pragma GCC unroll 8
        for (std::size_t b = 0; b < N; ++b) n1[b] = Round(n1[b], n2[b] + keys[step + 1]);
    };
    if constexpr (kUnrolled) {
#pragma GCC unroll 16
        for (std::size_t step = 0; step < 32; step += 2) round_pair(step);
    } else {
        for (std::size_t step = 0; step < 32; step += 2) round_pair(step);
    }
    // A round pair leaves N1 and N2 in place, so the swap that the last step
    // leaves out is this one.
    for (std::size_t b = 0; b < N; ++b) {
        const Word word0 = n2[b];
        n2[b] = n1[b];
        n1[b] = word0;
    }
}

// Encrypting: the gamma is the encryption of the register by Round, and the
// register takes the ciphertext, block after block.
template <auto Round>
inline void cfb_encrypt_chain(GostLayer& cipher, std::uint8_t* data, std::size_t blocks) noexcept {
    const RoundKeys keys = cipher.round_keys;  // no store to the data can alias the copy
    std::uint32_t n1[1] = {cipher.reg.n1};
    std::uint32_t n2[1] = {cipher.reg.n2};
    for (std::size_t b = 0; b < blocks; ++b) {
        std::uint8_t* block = data + b * kBlockSize;
        basic_transform<Round>(n1, n2, keys);
        n1[0] ^= load_le32(block);
        n2[0] ^= load_le32(block + 4);
        store_le32(block, n1[0]);
        store_le32(block + 4, n2[0]);
    }
    cipher.reg = {n1[0], n2[0]};
}

// Decrypting, one group of K::kRegisters block registers in place. carry
// holds the ciphertext block before the group in its last lane, and
// afterwards the group's last ciphertext block: the register, as the next
// group needs it.
template <class K>
[[gnu::always_inline]] inline void cfb_decrypt_group(const RoundKeys& keys,
                                                     typename K::Blocks& carry,
                                                     std::uint8_t* data) {
    using Blocks = typename K::Blocks;
    Blocks cipher_text[K::kRegisters];
    Blocks gamma[K::kRegisters];
    for (std::size_t q = 0; q < K::kRegisters; ++q)
        cipher_text[q] = K::load(data + q * sizeof(Blocks));
    for (std::size_t q = 0; q < K::kRegisters; ++q)
        gamma[q] = K::follow(q == 0 ? carry : cipher_text[q - 1], cipher_text[q]);
    typename K::Word n1[K::kWordPairs];
    typename K::Word n2[K::kWordPairs];
    K::split(gamma, n1, n2);
    basic_transform<K::round, K::kUnrolled>(n1, n2, keys);
    K::join(n1, n2, gamma);
    for (std::size_t q = 0; q < K::kRegisters; ++q)
        K::store(data + q * sizeof(Blocks), cipher_text[q] ^ gamma[q]);
    carry = cipher_text[K::kRegisters - 1];
}

template <class K>
inline constexpr std::size_t kGroupBytes = K::kRegisters * sizeof(typename K::Blocks);

// Decrypts the whole groups of K in data, from and to the cipher's register,
// and returns how many blocks that was.
template <class K>
inline std::size_t cfb_decrypt_groups(GostLayer& cipher, std::uint8_t* data, std::size_t blocks) {
    const std::size_t groups = blocks * kBlockSize / kGroupBytes<K>;
    const RoundKeys keys = cipher.round_keys;  // no store to the data can alias the copy
    typename K::Blocks carry = K::broadcast(std::uint64_t{cipher.reg.n2} << 32 | cipher.reg.n1);
    for (std::size_t g = 0; g < groups; ++g)
        cfb_decrypt_group<K>(keys, carry, data + g * kGroupBytes<K>);
    const std::uint64_t last = K::last_block(carry);
    cipher.reg = {static_cast<std::uint32_t>(last), static_cast<std::uint32_t>(last >> 32)};
    return groups * kGroupBytes<K> / kBlockSize;
}

// N blocks, each a 64-bit register of its own.
template <std::size_t N, auto Round>
struct ScalarLanes {
    using Blocks = std::uint64_t;
    using Word = std::uint32_t;
    static constexpr std::size_t kRegisters = N;
    static constexpr std::size_t kWordPairs = N;
    static constexpr bool kUnrolled = true;
    static constexpr auto round = Round;

    static Blocks load(const std::uint8_t* p) noexcept {
        return std::uint64_t{load_le32(p + 4)} << 32 | load_le32(p);
    }
    static void store(std::uint8_t* p, Blocks v) noexcept {
        store_le32(p, static_cast<std::uint32_t>(v));
        store_le32(p + 4, static_cast<std::uint32_t>(v >> 32));
    }
    static Blocks broadcast(std::uint64_t block) noexcept { return block; }
    static std::uint64_t last_block(Blocks v) noexcept { return v; }
    static Blocks follow(Blocks before, Blocks) noexcept { return before; }
    static void split(const Blocks (&f)[N], Word (&n1)[N], Word (&n2)[N]) noexcept {
        for (std::size_t b = 0; b < N; ++b) {
            n1[b] = static_cast<Word>(f[b]);
            n2[b] = static_cast<Word>(f[b] >> 32);
        }
    }
    static void join(const Word (&n1)[N], const Word (&n2)[N], Blocks (&f)[N]) noexcept {
        for (std::size_t b = 0; b < N; ++b) f[b] = std::uint64_t{n2[b]} << 32 | n1[b];
    }
};

}  // namespace
}  // namespace brisol
