#include <gcrypt.h>

#include "bench/anchors.h"

namespace brisol::bench {
namespace {

// GOST R 34.11-94's test substitution set, by the identifier libgcrypt knows.
constexpr const char* kTestParamSetOid = "1.2.643.2.2.30.0";
constexpr std::size_t kKeySize = 32;
constexpr std::size_t kIvSize = 8;

}  // namespace

struct GcryptGostCfb::Handle {
    gcry_cipher_hd_t h = nullptr;
};

GcryptGostCfb::GcryptGostCfb(GostDirection direction, const std::uint8_t* key32)
    : handle_(std::make_unique<Handle>()), direction_(direction) {
    gcry_check_version(nullptr);
    gcry_control(GCRYCTL_INITIALIZATION_FINISHED, 0);
    gcry_cipher_open(&handle_->h, GCRY_CIPHER_GOST28147, GCRY_CIPHER_MODE_CFB, 0);
    gcry_cipher_setkey(handle_->h, key32, kKeySize);
    gcry_cipher_ctl(handle_->h, GCRYCTL_SET_SBOX, const_cast<char*>(kTestParamSetOid), 0);
    const std::uint8_t zero_iv[kIvSize] = {};
    gcry_cipher_setiv(handle_->h, zero_iv, sizeof zero_iv);
}

GcryptGostCfb::~GcryptGostCfb() { gcry_cipher_close(handle_->h); }

bool GcryptGostCfb::run(std::uint8_t* data, std::size_t n) noexcept {
    const gcry_error_t status = direction_ == GostDirection::Encrypt
                                    ? gcry_cipher_encrypt(handle_->h, data, n, nullptr, 0)
                                    : gcry_cipher_decrypt(handle_->h, data, n, nullptr, 0);
    return status == 0;
}

}  // namespace brisol::bench
