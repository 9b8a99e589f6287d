#include "gost_layer.h"

#include <gtest/gtest.h>

#include <array>
#include <string_view>

#include "byte_order.h"
#include "kernels.h"
#include "cipher_test_support.h"

namespace brisol {
namespace {

using test::Bytes;
using test::from_hex;

// Single-block encryptions with the GOST R 34.11-94 test substitution set.
// Keys, plain and cipher blocks are byte strings, least significant byte
// first (so key word K_i is bytes 4i..4i+3 read little-endian); the standard
// prints the same values as numbers, most significant byte first.
struct BlockVector {
    std::string_view source;
    std::string_view key;
    std::string_view plain;  // one or more 8-byte blocks, each encrypted alone
    std::string_view cipher;
};

const BlockVector kBlockVectors[] = {
    {"GOST R 34.11-94, Appendix A, first example: s1 = E_K1(h1), h1 = 0 "
     "(as in Nettle testsuite/gost28147-test.c)",
     "546D2033 68656C32 69736520 73736E62 20616779 69677474 73656865 202C3D73", "00000000 00000000",
     "1B0BBC32 CEBCAB42"},
    {"GOST R 34.11-94, Appendix A, first example: s2 = E_K2(h2), h2 = 0",
     "2033394D 6C320D09 65201A16 6E62001D 67794106 74740E13 6865160D 3D730C11", "00000000 00000000",
     "FDCF9B5D C8EB0352"},
    {"GOST R 34.11-94, Appendix A, first example: s3 = E_K3(h3), h3 = 0",
     "39B213F5 F209A13F 1AE9BA3A FF1D0C62 41F9E1C7 F1130085 16F20D73 F311B180", "00000000 00000000",
     "280EFF00 9958348D"},
    {"GOST R 34.11-94, Appendix A, first example: s4 = E_K4(h4), h4 = 0",
     "EC0A8BA1 5EC004A8 BAC50CAC 0C621DEE E1C7B8E7 007AE2EC F2731BFF 4E80E2A0", "00000000 00000000",
     "2D562A0D 190486E7"},
    {"Nettle testsuite/gost28147-test.c, gost28147_param_test_3411, two blocks",
     "8182838485868788 898a8b8c8d8e8f80 d1d2d3d4d5d6d7d8 d9dadbdcdddedfd0",
     "0102030405060708 f1f2f3f4f5f6f7f8", "ced52a7ff7f260d5 bc81a80bb5e65976"},
};

GostLayer keyed_cipher(const PasswordKey& key) { return GostLayer(key); }

// The tables themselves are checked by what they do: the published vectors
// here, and agreement with libgcrypt over many chained blocks
// (oracle_test.cpp), which looks up every entry of every table.
TEST(GostLayer, RoundKeysRunThreeTimesForwardThenOnceBackward) {
    Bytes key_bytes(32);
    for (std::size_t i = 0; i < 32; ++i) key_bytes[i] = static_cast<std::uint8_t>(i);
    const GostLayer cipher = keyed_cipher(test::key_from_bytes(key_bytes));

    constexpr std::array<std::size_t, 32> kOrder = {0, 1, 2, 3, 4, 5, 6, 7, 0, 1, 2, 3, 4, 5, 6, 7,
                                                    0, 1, 2, 3, 4, 5, 6, 7, 7, 6, 5, 4, 3, 2, 1, 0};
    for (std::size_t step = 0; step < 32; ++step) {
        const std::uint32_t b = 4 * static_cast<std::uint32_t>(kOrder[step]);
        const std::uint32_t little_endian_word = b | (b + 1) << 8 | (b + 2) << 16 | (b + 3) << 24;
        EXPECT_EQ(cipher.round_keys[step], little_endian_word) << "step " << step;
    }
}

TEST(GostLayer, BlockEncryptionMatchesPublishedVectors) {
    for (const BlockVector& v : kBlockVectors) {
        SCOPED_TRACE(v.source);
        const GostLayer cipher = keyed_cipher(test::key_from_bytes(from_hex(v.key)));
        const Bytes plain = from_hex(v.plain);
        const Bytes expected = from_hex(v.cipher);
        Bytes got(plain.size());
        for (std::size_t off = 0; off < plain.size(); off += kBlockSize) {
            const BlockWords out =
                encrypt_block(cipher, load_le32(&plain[off]), load_le32(&plain[off + 4]));
            store_le32(&got[off], out.word0);
            store_le32(&got[off + 4], out.word1);
        }
        EXPECT_EQ(got, expected);
    }
}

// From a zero register the first gamma is the encryption of the zero block,
// so the published encryptions of zero are also first feedback blocks.
TEST(GostLayer, FirstFeedbackBlockFromZeroRegisterIsPublishedEncryptionOfZero) {
    for (const BlockVector& v : kBlockVectors) {
        if (from_hex(v.plain) != Bytes(8, 0)) continue;
        SCOPED_TRACE(v.source);
        GostLayer cipher = keyed_cipher(test::key_from_bytes(from_hex(v.key)));
        Bytes block(8, 0);
        cfb_encrypt(cipher, block.data());
        EXPECT_EQ(block, from_hex(v.cipher));
        EXPECT_EQ(cipher.reg, (FeedbackRegister{load_le32(&block[0]), load_le32(&block[4])}));
        // Decrypting a zero block gives the same gamma, in every kernel; 65
        // blocks take the vector kernel through a full chunk and one more.
        for (const CipherKernels& k : supported_kernels()) {
            for (const bool encrypt : {true, false}) {
                SCOPED_TRACE(testing::Message() << k.name << (encrypt ? " encrypt" : " decrypt"));
                GostLayer fresh = keyed_cipher(test::key_from_bytes(from_hex(v.key)));
                Bytes blocks(65 * kBlockSize, 0);
                (encrypt ? k.gost_encrypt : k.gost_decrypt)(fresh, blocks.data(), 65);
                EXPECT_EQ(Bytes(blocks.begin(), blocks.begin() + 8), from_hex(v.cipher));
            }
        }
    }
}

struct FeedbackCase {
    std::string_view password;
    FeedbackRegister start;
    std::size_t blocks;
};

const FeedbackCase kFeedbackCases[] = {
    {"", {0, 0}, 1},
    {"", {0, 0}, 64},
    {"first password", {0, 0}, 3},
    {"first password", {0x01234567, 0x89ABCDEF}, 130},
    {"exactly thirty-one characters!!", {0xFFFFFFFF, 0}, 64},
};

TEST(GostLayer, DecryptInvertsEncryptAndEndsOnTheSameRegister) {
    for (const FeedbackCase& c : kFeedbackCases) {
        SCOPED_TRACE(testing::Message() << '"' << c.password << "\" blocks " << c.blocks);
        const PasswordKey key = make_password_key(c.password);
        const Bytes plain = test::test_bytes(c.blocks * kBlockSize, 11);

        GostLayer encryptor = keyed_cipher(key);
        encryptor.reg = c.start;
        Bytes data = plain;
        cfb_encrypt_blocks(encryptor, data.data(), c.blocks);
        EXPECT_NE(data, plain);
        const std::size_t last = data.size() - kBlockSize;
        EXPECT_EQ(encryptor.reg,
                  (FeedbackRegister{load_le32(&data[last]), load_le32(&data[last + 4])}));

        GostLayer decryptor = keyed_cipher(key);
        decryptor.reg = c.start;
        cfb_decrypt_blocks(decryptor, data.data(), c.blocks);
        EXPECT_EQ(data, plain);
        EXPECT_EQ(decryptor.reg, encryptor.reg);
    }
}

// The many-block forms are the fast path; they must equal block-by-block use.
TEST(GostLayer, ManyBlockFormsEqualOneBlockAtATime) {
    const PasswordKey key = make_password_key("block by block");
    for (const std::size_t blocks : {0u, 1u, 2u, 3u, 7u, 64u, 65u, 200u}) {
        SCOPED_TRACE(testing::Message() << "blocks " << blocks);
        const Bytes input = test::test_bytes(blocks * kBlockSize, 5);
        for (const Direction d : {Direction::Crypt, Direction::Decrypt}) {
            GostLayer many = keyed_cipher(key);
            GostLayer one = keyed_cipher(key);
            many.reg = one.reg = {0xDEADBEEF, 0x600DF00D};
            Bytes by_many = input;
            Bytes by_one = input;
            if (d == Direction::Crypt) {
                cfb_encrypt_blocks(many, by_many.data(), blocks);
                for (std::size_t b = 0; b < blocks; ++b) cfb_encrypt(one, &by_one[b * kBlockSize]);
            } else {
                cfb_decrypt_blocks(many, by_many.data(), blocks);
                for (std::size_t b = 0; b < blocks; ++b) cfb_decrypt(one, &by_one[b * kBlockSize]);
            }
            EXPECT_EQ(by_many, by_one);
            EXPECT_EQ(many.reg, one.reg);
        }
    }
}

TEST(GostLayer, ChangedCiphertextByteGarblesOnlyItsOwnByteAndTheNextBlock) {
    constexpr std::size_t kBlocks = 6;
    const PasswordKey key = make_password_key("feedback");
    const Bytes plain = test::test_bytes(kBlocks * kBlockSize, 3);
    GostLayer encryptor = keyed_cipher(key);
    Bytes cipher_text = plain;
    cfb_encrypt_blocks(encryptor, cipher_text.data(), kBlocks);

    for (const std::size_t changed_byte : {0u, 13u, 31u, 47u}) {
        SCOPED_TRACE(testing::Message() << "changed byte " << changed_byte);
        Bytes data = cipher_text;
        data[changed_byte] ^= 0x5A;
        GostLayer decryptor = keyed_cipher(key);
        cfb_decrypt_blocks(decryptor, data.data(), kBlocks);

        const std::size_t hit = changed_byte / kBlockSize;
        for (std::size_t b = 0; b < kBlocks; ++b) {
            const auto at = static_cast<std::ptrdiff_t>(b * kBlockSize);
            const Bytes got(data.begin() + at, data.begin() + at + kBlockSize);
            Bytes want(plain.begin() + at, plain.begin() + at + kBlockSize);
            if (b == hit) want[changed_byte % kBlockSize] ^= 0x5A;
            if (b == hit + 1) {
                EXPECT_NE(got, want) << "block " << b << " should be garbled";
            } else {
                EXPECT_EQ(got, want) << "block " << b;
            }
        }
    }
}

TEST(GostLayer, EmptyPasswordStillTransforms) {
    GostLayer cipher = keyed_cipher(make_password_key(""));
    for (const std::uint32_t k : cipher.round_keys) EXPECT_EQ(k, 0u);
    Bytes block(8, 0);
    cfb_encrypt(cipher, block.data());
    EXPECT_NE(block, Bytes(8, 0));
}

}  // namespace
}  // namespace brisol
