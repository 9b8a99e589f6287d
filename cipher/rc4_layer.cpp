#include "rc4_layer.h"

#include <utility>

namespace brisol {

Rc4Layer::Rc4Layer(const PasswordKey& key) noexcept { set_key(*this, key); }

void set_key(Rc4Layer& cipher, const PasswordKey& key) noexcept {
    auto& s = cipher.s;
    for (std::size_t x = 0; x < 256; ++x) s[x] = static_cast<std::uint8_t>(x);
    std::uint8_t j = 0;
    for (std::size_t i = 0; i < 256; ++i) {
        j = static_cast<std::uint8_t>(j + s[i] + key[i % kPasswordKeySize]);
        std::swap(s[i], s[j]);
    }
}

void apply(Rc4Layer& cipher, std::uint8_t* data, std::size_t n) noexcept {
    auto& s = cipher.s;
    std::uint8_t i = 0;
    std::uint8_t j = 0;
    for (std::size_t k = 0; k < n; ++k) {
        i = static_cast<std::uint8_t>(i + 1);
        const std::uint8_t si = s[i];
        j = static_cast<std::uint8_t>(j + si);
        const std::uint8_t sj = s[j];
        s[i] = sj;
        s[j] = si;
        data[k] ^= s[static_cast<std::uint8_t>(si + sj)];
    }
}

void apply_chunks(Rc4Layer& cipher, std::uint8_t* data, std::size_t n) noexcept {
    for_each_chunk(data, n, [&cipher](std::uint8_t* chunk, std::size_t length) {
        apply(cipher, chunk, length);
    });
}

}  // namespace brisol
