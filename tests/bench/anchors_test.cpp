// The benchmark's anchors must compute what Brisol computes, or the ratios
// would compare different work: each GOST library with the right S-boxes,
// zero IV and CFB both ways, and OpenSSL's RC4 equal to the first chunk of the
// RC4 layer.

#include <gtest/gtest.h>

#include <vector>

#include "anchors.h"
#include "gost_layer.h"
#include "rc4_layer.h"

namespace brisol::bench {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes pattern(std::size_t n) {
    Bytes out(n);
    for (std::size_t k = 0; k < n; ++k) out[k] = static_cast<std::uint8_t>(k * 131 + 7);
    return out;
}

TEST(BenchmarkAnchors, EveryGostCfbIsTheGostLayerBothWays) {
    const PasswordKey key = make_password_key("anchor key");
    // Split calls, as the file anchor makes them, must chain like one.
    const std::size_t pieces[] = {8, 512, 8 * 100};
    for (const GostLibrary library : kGostLibraries) {
        for (const bool encrypt : {true, false}) {
            GostLayer ours(key);
            const auto theirs = make_gost_cfb(
                library, encrypt ? GostDirection::Encrypt : GostDirection::Decrypt, key.begin());
            for (const std::size_t n : pieces) {
                SCOPED_TRACE(testing::Message() << gost_library_name(library)
                                                << (encrypt ? " encrypt " : " decrypt ") << n);
                Bytes by_us = pattern(n);
                Bytes by_them = by_us;
                if (encrypt)
                    cfb_encrypt_blocks(ours, by_us.data(), n / kBlockSize);
                else
                    cfb_decrypt_blocks(ours, by_us.data(), n / kBlockSize);
                ASSERT_TRUE(theirs->run(by_them.data(), n));
                EXPECT_EQ(by_them, by_us);
            }
        }
    }
}

TEST(BenchmarkAnchors, OpensslRc4IsTheFirstChunkOfTheRc4Layer) {
    const PasswordKey key = make_password_key("anchor key");
    Rc4Layer ours(key);
    OpensslRc4 theirs(key.begin());
    Bytes by_us = pattern(kChunkSize);
    Bytes by_them = by_us;
    apply(ours, by_us.data(), by_us.size());
    theirs.run(by_them.data(), by_them.size());
    EXPECT_EQ(by_them, by_us);
}

}  // namespace
}  // namespace brisol::bench
