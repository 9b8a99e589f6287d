#include <gcrypt.h>

#include "anchors.h"

namespace brisol::bench {
namespace {

// GOST R 34.11-94's test substitution set, by the identifier libgcrypt knows.
constexpr const char* kTestParamSetOid = "1.2.643.2.2.30.0";
constexpr std::size_t kKeySize = 32;
constexpr std::size_t kIvSize = 8;

class GcryptGostCfb final : public GostCfb {
public:
    GcryptGostCfb(GostDirection direction, const std::uint8_t* key32) : direction_(direction) {
        gcry_check_version(nullptr);
        gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
        gcry_cipher_open(&handle_, GCRY_CIPHER_GOST28147, GCRY_CIPHER_MODE_CFB, 0);
        gcry_cipher_setkey(handle_, key32, kKeySize);
        gcry_cipher_ctl(handle_, GCRYCTL_SET_SBOX, const_cast<char*>(kTestParamSetOid), 0);
        const std::uint8_t zero_iv[kIvSize] = {};
        gcry_cipher_setiv(handle_, zero_iv, sizeof zero_iv);
    }
    ~GcryptGostCfb() override { gcry_cipher_close(handle_); }
    GcryptGostCfb(const GcryptGostCfb&) = delete;
    GcryptGostCfb& operator=(const GcryptGostCfb&) = delete;

    bool run(std::uint8_t* data, std::size_t n) noexcept override {
        const gcry_error_t status = direction_ == GostDirection::Encrypt
                                        ? gcry_cipher_encrypt(handle_, data, n, nullptr, 0)
                                        : gcry_cipher_decrypt(handle_, data, n, nullptr, 0);
        return status == 0;
    }

private:
    gcry_cipher_hd_t handle_ = nullptr;
    GostDirection direction_;
};

}  // namespace

std::unique_ptr<GostCfb> make_gcrypt_gost_cfb(GostDirection direction, const std::uint8_t* key32) {
    return std::make_unique<GcryptGostCfb>(direction, key32);
}

}  // namespace brisol::bench
