// Both layers and the whole file layout checked against libgcrypt's GOST
// 28147-89 and RC4. The product itself links no crypto library; only this
// test binary does.

#include <gcrypt.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "cipher_test_support.h"

namespace brisol {
namespace {

using test::Bytes;

// GOST R 34.11-94's test substitution set, by the object identifier under
// which libgcrypt knows it.
constexpr const char* kTestParamSetOid = "1.2.643.2.2.30.0";

struct KeyCase {
    std::string_view name;
    PasswordKey key;
};

std::vector<KeyCase> key_cases() {
    return {
        {"empty password", make_password_key("")},
        {"one character", make_password_key("a")},
        {"31 characters", make_password_key("0123456789abcdefghijklmnopqrstu")},
        {"high bytes", make_password_key("\x80\xFF\xE9\x01")},
        {"32 arbitrary bytes", test::key_from_bytes(test::test_bytes(32, 2024))},
    };
}

struct CipherHandleCloser {
    void operator()(gcry_cipher_hd_t h) const { gcry_cipher_close(h); }
};
using CipherHandle = std::unique_ptr<std::remove_pointer_t<gcry_cipher_hd_t>, CipherHandleCloser>;

CipherHandle open_cipher(int algorithm, int mode, const PasswordKey& key) {
    gcry_cipher_hd_t h = nullptr;
    EXPECT_EQ(gcry_cipher_open(&h, algorithm, mode, 0), 0u);
    CipherHandle handle(h);
    EXPECT_EQ(gcry_cipher_setkey(h, key.begin(), key.size()), 0u);
    return handle;
}

// GOST 28147-89 in 64-bit cipher feedback from a zero register.
Bytes oracle_gost_cfb(Direction direction, const PasswordKey& key, Bytes data) {
    CipherHandle h = open_cipher(GCRY_CIPHER_GOST28147, GCRY_CIPHER_MODE_CFB, key);
    EXPECT_EQ(gcry_cipher_ctl(h.get(), GCRYCTL_SET_SBOX, const_cast<char*>(kTestParamSetOid), 0),
              0u);
    const std::uint8_t zero_iv[kBlockSize] = {};
    EXPECT_EQ(gcry_cipher_setiv(h.get(), zero_iv, sizeof zero_iv), 0u);
    const gcry_error_t status =
        direction == Direction::Crypt
            ? gcry_cipher_encrypt(h.get(), data.data(), data.size(), nullptr, 0)
            : gcry_cipher_decrypt(h.get(), data.data(), data.size(), nullptr, 0);
    EXPECT_EQ(status, 0u);
    return data;
}

Bytes oracle_rc4_keystream(const PasswordKey& key, std::size_t n) {
    CipherHandle h = open_cipher(GCRY_CIPHER_ARCFOUR, GCRY_CIPHER_MODE_STREAM, key);
    Bytes data(n, 0);
    EXPECT_EQ(gcry_cipher_encrypt(h.get(), data.data(), n, nullptr, 0), 0u);
    return data;
}

class Libgcrypt : public testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_NE(gcry_check_version(nullptr), nullptr);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    }
};

TEST_F(Libgcrypt, GostFeedbackAgreesOverManyChainedBlocks) {
    constexpr std::size_t kBlocks = 3 * kBlocksPerChunk + 5;
    const Bytes plain = test::test_bytes(kBlocks * kBlockSize, 31);
    for (const KeyCase& c : key_cases()) {
        for (const CipherKernels& k : supported_kernels()) {
            SCOPED_TRACE(testing::Message() << c.name << ", " << k.name);
            for (const Direction d : {Direction::Crypt, Direction::Decrypt}) {
                GostLayer cipher(c.key);
                Bytes ours = plain;
                (d == Direction::Crypt ? k.gost_encrypt : k.gost_decrypt)(cipher, ours.data(),
                                                                          kBlocks);
                EXPECT_EQ(ours, oracle_gost_cfb(d, c.key, plain));
            }
        }
    }
}

TEST_F(Libgcrypt, FirstRc4ChunkAgrees) {
    for (const KeyCase& c : key_cases()) {
        SCOPED_TRACE(c.name);
        for (const std::size_t n : {1u, 300u, 512u}) {
            Rc4Layer cipher(c.key);
            Bytes ours(n, 0);
            apply(cipher, ours.data(), n);
            EXPECT_EQ(ours, oracle_rc4_keystream(c.key, n)) << n << " bytes";
        }
    }
}

// The RC4 layer as the file format defines it, written out plainly here so
// that the whole-file expectation does not lean on the code under test:
// one key schedule, then per chunk of 512 bytes (or the shorter tail) a fresh
// i = j = 0 over the permutation the previous chunk left.
Bytes chunked_rc4_keystream(const PasswordKey& key, std::size_t length) {
    std::array<std::uint8_t, 256> s{};
    for (std::size_t x = 0; x < 256; ++x) s[x] = static_cast<std::uint8_t>(x);
    std::uint8_t j = 0;
    for (std::size_t i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + s[i] + key[i % 32]);
        std::swap(s[i], s[j]);
    }
    Bytes out(length);
    for (std::size_t chunk = 0; chunk < length; chunk += kChunkSize) {
        std::uint8_t ci = 0;
        std::uint8_t cj = 0;
        for (std::size_t k = chunk; k < std::min(length, chunk + kChunkSize); ++k) {
            ++ci;
            cj = static_cast<std::uint8_t>(cj + s[ci]);
            std::swap(s[ci], s[cj]);
            out[k] = s[static_cast<std::uint8_t>(s[ci] + s[cj])];
        }
    }
    return out;
}

// Crypt's file: the plain text XOR the chunked RC4 keystream, then GOST
// feedback over the full chunks as one chain; the tail keeps the RC4 layer only.
Bytes expected_encrypted_file(const Bytes& plain, const PasswordKey& key1,
                              const PasswordKey& key2) {
    const Bytes keystream = chunked_rc4_keystream(key2, plain.size());
    Bytes out(plain.size());
    for (std::size_t k = 0; k < plain.size(); ++k) out[k] = plain[k] ^ keystream[k];
    const std::size_t full = plain.size() / kChunkSize * kChunkSize;
    const auto full_end = out.begin() + static_cast<std::ptrdiff_t>(full);
    const Bytes chained = oracle_gost_cfb(Direction::Crypt, key1, Bytes(out.begin(), full_end));
    std::copy(chained.begin(), chained.end(), out.begin());
    return out;
}

TEST_F(Libgcrypt, WholeFilesMatchTheLayoutBuiltFromTheOracles) {
    const test::Passwords p{"first of two", "second of two"};
    const PasswordKey key1 = make_password_key(p.one);
    const PasswordKey key2 = make_password_key(p.two);
    for (const std::size_t length :
         {0u, 1u, 511u, 512u, 513u, 1300u, 5u * 512u, 40u * 512u + 300u}) {
        SCOPED_TRACE(testing::Message() << "length " << length);
        const Bytes plain = test::test_bytes(length, 77);
        const Bytes expected = expected_encrypted_file(plain, key1, key2);
        for (const CipherKernels& k : supported_kernels()) {
            SCOPED_TRACE(k.name);
            const test::RunOptions options{.buffer_chunks = 3, .kernels = &k};
            EXPECT_EQ(test::run_pipeline(Direction::Crypt, plain, p, options), expected);
            EXPECT_EQ(test::run_pipeline(Direction::Decrypt, expected, p, options), plain);
        }
    }
}

}  // namespace
}  // namespace brisol
