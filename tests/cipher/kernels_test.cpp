// Every kernel this CPU can run must give the reference kernel's bytes
// and leave both layers in the same state, at every length and split point.

#include "kernels.h"

#include <gtest/gtest.h>

#include "fast_kernel_rows.h"
#include "layer_stages.h"
#include "cipher_test_support.h"

namespace brisol {
namespace {

using test::Bytes;

const CipherKernels& reference() { return supported_kernels().front(); }

// The kernels under test: all but the reference.
std::span<const CipherKernels> fast_kernels() { return supported_kernels().subspan(1); }

TEST(CipherKernels, TheFastestSupportedKernelIsSelected) {
    ASSERT_GE(supported_kernels().size(), 2u);
    EXPECT_EQ(reference().name, "reference");
    EXPECT_EQ(&selected_kernels(), &supported_kernels().back());
#if BRISOL_X86_KERNELS
    if (cpu_has_vbmi()) {
        EXPECT_EQ(selected_kernels().name, "avx512vbmi");
    }
#endif
}

// Block counts around the eight-lane groups and the 64-block chunk the vector
// kernel works on, from registers left by earlier data.
struct BlockCase {
    std::size_t blocks;
    FeedbackRegister start;
};

const BlockCase kBlockCases[] = {
    {0, {0, 0}},          {1, {0, 0}},          {7, {1, 2}},
    {8, {0, 0}},          {9, {0xFFFFFFFF, 0}}, {63, {0x01234567, 0x89ABCDEF}},
    {64, {0, 0}},         {65, {7, 7}},         {128, {0xDEADBEEF, 0x600DF00D}},
    {3 * 64 + 17, {0, 1}}};

TEST(CipherKernels, GostLayerAloneMatchesTheReferenceBothWays) {
    const PasswordKey key = make_password_key("kernel blocks");
    for (const CipherKernels& k : fast_kernels()) {
        for (const BlockCase& c : kBlockCases) {
            SCOPED_TRACE(testing::Message() << k.name << ", blocks " << c.blocks);
            const Bytes input = test::test_bytes(c.blocks * kBlockSize, 9);
            for (const bool encrypt : {true, false}) {
                test::PreparedCiphers want(key, key);
                test::PreparedCiphers got(key, key);
                want.gost.reg = got.gost.reg = c.start;
                Bytes want_bytes = input;
                Bytes got_bytes = input;
                (encrypt ? reference().gost_encrypt : reference().gost_decrypt)(
                    want.gost, want_bytes.data(), c.blocks);
                (encrypt ? k.gost_encrypt : k.gost_decrypt)(got.gost, got_bytes.data(), c.blocks);
                EXPECT_EQ(got_bytes, want_bytes) << (encrypt ? "encrypt" : "decrypt");
                EXPECT_EQ(got.gost.reg, want.gost.reg) << (encrypt ? "encrypt" : "decrypt");
            }
        }
    }
}

// Lengths on both sides of where i wraps, and runs of several chunks ending
// in a tail, called one after another so the permutation carries over.
TEST(CipherKernels, Rc4LayerAloneMatchesTheReferenceAndCarriesThePermutation) {
    const std::size_t lengths[] = {0,   1,   2,   3,    8,    255,  256,           257,
                                   511, 512, 512, 1024, 1031, 1300, 5 * 512 + 511, 100};
    for (const CipherKernels& k : fast_kernels()) {
        for (const std::string_view password :
             {"", "rc4 kernels", "0123456789abcdefghijklmnopqrstu"}) {
            test::PreparedCiphers want(make_password_key(password), make_password_key(password));
            test::PreparedCiphers got(make_password_key(password), make_password_key(password));
            for (const std::size_t n : lengths) {
                SCOPED_TRACE(testing::Message() << k.name << ", \"" << password << "\", " << n);
                const Bytes input = test::test_bytes(n, static_cast<std::uint32_t>(n));
                Bytes want_bytes = input;
                Bytes got_bytes = input;
                reference().rc4_apply(want.rc4, want_bytes.data(), n);
                k.rc4_apply(got.rc4, got_bytes.data(), n);
                EXPECT_EQ(got_bytes, want_bytes);
                EXPECT_EQ(got.rc4.s, want.rc4.s);
            }
        }
    }
}

// Both stages over consecutive pieces of whole chunks and a last short one,
// as buffers of different fill make them, carry both layers' state on: the
// register, and RC4's permutation.
TEST(CipherKernels, StagesMatchTheReferenceAndCarryTheState) {
    const PasswordKey key1 = make_password_key("chunk passes one");
    const PasswordKey key2 = make_password_key("chunk passes two");
    for (const CipherKernels& k : fast_kernels()) {
        for (const Direction d : {Direction::Crypt, Direction::Decrypt}) {
            test::PreparedCiphers want(key1, key2);
            test::PreparedCiphers got(key1, key2);
            LayerStage want_first(d, Stage::First, reference());
            LayerStage want_second(d, Stage::Second, reference());
            LayerStage got_first(d, Stage::First, k);
            LayerStage got_second(d, Stage::Second, k);
            for (const std::size_t size : {0u, 512u, 1024u, 2560u, 512u, 300u}) {
                SCOPED_TRACE(testing::Message() << k.name << ", piece of " << size);
                const Bytes input = test::test_bytes(size, static_cast<std::uint32_t>(size + 40));
                Bytes want_bytes = input;
                Bytes got_bytes = input;
                ASSERT_TRUE(want_first.apply(want.gost, want.rc4, want_bytes));
                ASSERT_TRUE(want_second.apply(want.gost, want.rc4, want_bytes));
                ASSERT_TRUE(got_first.apply(got.gost, got.rc4, got_bytes));
                ASSERT_TRUE(got_second.apply(got.gost, got.rc4, got_bytes));
                EXPECT_EQ(got_bytes, want_bytes);
                EXPECT_EQ(got.gost.reg, want.gost.reg);
                EXPECT_EQ(got.rc4.s, want.rc4.s);
            }
        }
    }
}

TEST(CipherKernels, PipelineMatchesTheReferenceForEveryLengthBufferAndReadSize) {
    const test::Passwords p{"pipeline kernels", "second of them"};
    const std::size_t lengths[] = {0, 1, 511, 512, 513, 1024 + 7, 64 * kChunkSize + 300};
    const test::RunOptions splits[] = {{.buffer_chunks = 1},
                                       {.buffer_chunks = 3},
                                       {.buffer_chunks = 3, .max_read = 700},
                                       {.buffer_chunks = 512},
                                       {.buffer_chunks = 2, .max_read = 1}};
    for (const CipherKernels& k : fast_kernels()) {
        for (const std::size_t length : lengths) {
            const Bytes plain = test::test_bytes(length, 21);
            const Bytes cipher_text =
                test::run_pipeline(Direction::Crypt, plain, p, {.kernels = &reference()});
            for (const test::RunOptions& split : splits) {
                SCOPED_TRACE(testing::Message()
                             << k.name << ", length " << length << ", buffer "
                             << split.buffer_chunks << ", reads of at most " << split.max_read);
                test::RunOptions options = split;
                options.kernels = &k;
                EXPECT_EQ(test::run_pipeline(Direction::Crypt, plain, p, options), cipher_text);
                EXPECT_EQ(test::run_pipeline(Direction::Decrypt, cipher_text, p, options), plain);
            }
        }
    }
}

}  // namespace
}  // namespace brisol
