// RC4's low-level interface is deprecated in OpenSSL 3 but still present; it
// is the fastest RC4 OpenSSL offers, so it is the fair anchor.
#define OPENSSL_SUPPRESS_DEPRECATED

#include <openssl/rc4.h>

#include "anchors.h"

namespace brisol::bench {

struct OpensslRc4::State {
    RC4_KEY key{};
};

OpensslRc4::OpensslRc4(const std::uint8_t* key32) : state_(std::make_unique<State>()) {
    RC4_set_key(&state_->key, 32, key32);
}

OpensslRc4::~OpensslRc4() = default;

void OpensslRc4::run(std::uint8_t* data, std::size_t n) noexcept {
    RC4(&state_->key, n, data, data);
}

}  // namespace brisol::bench
