#include <cryptopp/gost.h>
#include <cryptopp/modes.h>

#include "anchors.h"

namespace brisol::bench {
namespace {

constexpr std::size_t kKeySize = 32;

// Crypto++'s GOST carries the test substitution set of GOST R 34.11-94.
template <typename Mode>
class CryptoppGostCfb final : public GostCfb {
public:
    explicit CryptoppGostCfb(const std::uint8_t* key32) {
        const CryptoPP::byte zero_iv[CryptoPP::GOST::BLOCKSIZE] = {};
        mode_.SetKeyWithIV(key32, kKeySize, zero_iv, sizeof zero_iv);
    }

    bool run(std::uint8_t* data, std::size_t n) noexcept override {
        try {
            mode_.ProcessData(data, data, n);
            return true;
        } catch (const CryptoPP::Exception&) {
            return false;
        }
    }

private:
    Mode mode_;
};

}  // namespace

std::unique_ptr<GostCfb> make_cryptopp_gost_cfb(GostDirection direction,
                                                const std::uint8_t* key32) {
    using Cfb = CryptoPP::CFB_Mode<CryptoPP::GOST>;
    if (direction == GostDirection::Encrypt)
        return std::make_unique<CryptoppGostCfb<Cfb::Encryption>>(key32);
    return std::make_unique<CryptoppGostCfb<Cfb::Decryption>>(key32);
}

}  // namespace brisol::bench
