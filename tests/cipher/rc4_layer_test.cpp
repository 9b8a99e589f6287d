#include "rc4_layer.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>
#include <utility>

#include "cipher_test_support.h"

namespace brisol {
namespace {

using test::Bytes;
using test::from_hex;

// RC4 keystream bytes for 256-bit keys, the key length of this layer.
struct KeystreamVector {
    std::string_view source;
    std::string_view key;
    std::size_t offset;
    std::string_view keystream;  // 16 bytes from offset
};

constexpr std::string_view kRfcKey1 =
    "0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20";
constexpr std::string_view kRfcKey2 =
    "1ada31d5cf688221c109163908ebe51debb46227c6cc8b37641910833222772a";

const KeystreamVector kRfc6229[] = {
    {"RFC 6229, key 0102..1f20, DEC 0", kRfcKey1, 0, "eaa6bd25880bf93d3f5d1e4ca2611d91"},
    {"RFC 6229, key 0102..1f20, DEC 16", kRfcKey1, 16, "cfa45c9f7e714b54bdfa80027cb14380"},
    {"RFC 6229, key 0102..1f20, DEC 240", kRfcKey1, 240, "114ae344ded71b35f2e60febad727fd8"},
    {"RFC 6229, key 0102..1f20, DEC 256", kRfcKey1, 256, "02e1e7056b0f623900496422943e97b6"},
    {"RFC 6229, key 0102..1f20, DEC 496", kRfcKey1, 496, "91cb93c787964e10d9527d999c6f936b"},
    {"RFC 6229, key 1ada..772a, DEC 0", kRfcKey2, 0, "dd5bcb0018e922d494759d7c395d02d3"},
    {"RFC 6229, key 1ada..772a, DEC 16", kRfcKey2, 16, "c8446f8f77abf737685353eb89a1c9eb"},
    {"RFC 6229, key 1ada..772a, DEC 240", kRfcKey2, 240, "af3e30f9c095045938151575c3fb9098"},
    {"RFC 6229, key 1ada..772a, DEC 256", kRfcKey2, 256, "f8cb6274db99b80b1d2012a98ed48f0e"},
    {"RFC 6229, key 1ada..772a, DEC 496", kRfcKey2, 496, "25c3005a1cb85de076259839ab7198ab"},
};

// RFC 6229, key 0102..1f20, DEC 512: where one continuous RC4
// stream goes on after the first 512 bytes.
constexpr std::string_view kRfcKey1ContinuousAt512 = "49b18b42f8e8367cbeb5ef104ba1c7cd";

Rc4Layer keyed_cipher(const PasswordKey& key) { return Rc4Layer(key); }

Bytes keystream_of_next_chunk(Rc4Layer& cipher, std::size_t n) {
    Bytes data(n, 0);
    apply(cipher, data.data(), n);
    return data;
}

// Textbook RC4 output generation from a given permutation with i = j = 0.
Bytes rc4_output_from(std::array<std::uint8_t, 256> s, std::size_t n) {
    Bytes out(n);
    std::uint8_t i = 0;
    std::uint8_t j = 0;
    for (auto& byte : out) {
        ++i;
        j = static_cast<std::uint8_t>(j + s[i]);
        std::swap(s[i], s[j]);
        byte = s[static_cast<std::uint8_t>(s[i] + s[j])];
    }
    return out;
}

TEST(Rc4Layer, FirstChunkIsStandardRc4) {
    for (const KeystreamVector& v : kRfc6229) {
        SCOPED_TRACE(v.source);
        Rc4Layer cipher = keyed_cipher(test::key_from_bytes(from_hex(v.key)));
        const Bytes chunk = keystream_of_next_chunk(cipher, kChunkSize);
        const auto at = chunk.begin() + static_cast<std::ptrdiff_t>(v.offset);
        EXPECT_EQ(Bytes(at, at + 16), from_hex(v.keystream));
    }
}

TEST(Rc4Layer, EachChunkRestartsIndicesButCarriesThePermutation) {
    Rc4Layer cipher = keyed_cipher(test::key_from_bytes(from_hex(kRfcKey1)));
    keystream_of_next_chunk(cipher, kChunkSize);
    const std::array<std::uint8_t, 256> after_first_chunk = cipher.s.data;
    const Bytes second = keystream_of_next_chunk(cipher, kChunkSize);

    EXPECT_EQ(second, rc4_output_from(after_first_chunk, kChunkSize));
    EXPECT_NE(Bytes(second.begin(), second.begin() + 16), from_hex(kRfcKey1ContinuousAt512));
}

TEST(Rc4Layer, ApplyOverNothingChangesNothing) {
    Rc4Layer cipher = keyed_cipher(make_password_key("second"));
    const auto s_before = cipher.s;
    std::uint8_t byte = 0x77;
    apply(cipher, &byte, 0);
    EXPECT_EQ(byte, 0x77);
    EXPECT_EQ(cipher.s, s_before);
}

TEST(Rc4Layer, EmptyPasswordStillGivesAKeystream) {
    Rc4Layer cipher = keyed_cipher(make_password_key(""));
    std::array<std::uint8_t, 256> identity{};
    for (std::size_t x = 0; x < 256; ++x) identity[x] = static_cast<std::uint8_t>(x);
    EXPECT_NE(cipher.s.data, identity);
    EXPECT_NE(keystream_of_next_chunk(cipher, 64), Bytes(64, 0));
}

struct KeyBlockCase {
    std::string password;
    std::string_view expected_hex;
};

const std::string k31(31, 'p');

const KeyBlockCase kKeyBlockCases[] = {
    {"", "0000000000000000000000000000000000000000000000000000000000000000"},
    {"abc", "6162630000000000000000000000000000000000000000000000000000000000"},
    {"\xE9t\xE9", "e974e90000000000000000000000000000000000000000000000000000000000"},
    {k31, "7070707070707070707070707070707070707070707070707070707070707000"},
    {k31 + "X", "7070707070707070707070707070707070707070707070707070707070707000"},
    {k31 + "long tail of ignored text",
     "7070707070707070707070707070707070707070707070707070707070707000"},
};

TEST(PasswordKey, HoldsAtMost31CharactersThenZeros) {
    for (const KeyBlockCase& c : kKeyBlockCases) {
        SCOPED_TRACE(c.password);
        const PasswordKey key = make_password_key(c.password);
        EXPECT_EQ(Bytes(key.begin(), key.end()), from_hex(c.expected_hex));
    }
}

TEST(PasswordKey, PasswordsDifferingOnlyAfter31CharactersKeyTheSameStream) {
    Rc4Layer a = keyed_cipher(make_password_key(k31 + "A"));
    Rc4Layer b = keyed_cipher(make_password_key(k31 + "B"));
    EXPECT_EQ(keystream_of_next_chunk(a, kChunkSize), keystream_of_next_chunk(b, kChunkSize));

    Rc4Layer c = keyed_cipher(make_password_key(k31.substr(0, 30) + "C"));
    Rc4Layer d = keyed_cipher(make_password_key(k31.substr(0, 30) + "D"));
    EXPECT_NE(keystream_of_next_chunk(c, kChunkSize), keystream_of_next_chunk(d, kChunkSize));
}

}  // namespace
}  // namespace brisol
