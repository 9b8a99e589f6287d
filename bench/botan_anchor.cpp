#include <botan/cipher_mode.h>

#include "anchors.h"

namespace brisol::bench {
namespace {

constexpr const char* kAlgorithm = "GOST-28147-89(R3411_94_TestParam)/CFB";
constexpr std::size_t kKeySize = 32;
constexpr std::size_t kIvSize = 8;

class BotanGostCfb final : public GostCfb {
public:
    BotanGostCfb(GostDirection direction, const std::uint8_t* key32)
        : mode_(Botan::Cipher_Mode::create_or_throw(kAlgorithm, direction == GostDirection::Encrypt
                                                                    ? Botan::ENCRYPTION
                                                                    : Botan::DECRYPTION)) {
        mode_->set_key(key32, kKeySize);
        const std::uint8_t zero_iv[kIvSize] = {};
        mode_->start(zero_iv, sizeof zero_iv);
    }

    bool run(std::uint8_t* data, std::size_t n) noexcept override {
        try {
            mode_->process(data, n);
            return true;
        } catch (const Botan::Exception&) {
            return false;
        }
    }

private:
    std::unique_ptr<Botan::Cipher_Mode> mode_;
};

}  // namespace

std::unique_ptr<GostCfb> make_botan_gost_cfb(GostDirection direction, const std::uint8_t* key32) {
    return std::make_unique<BotanGostCfb>(direction, key32);
}

}  // namespace brisol::bench
