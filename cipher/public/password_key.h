#pragma once
// The 32-byte key block each password becomes: at most 31 8-bit characters,
// then a zero terminator and zero padding. PASSWORD-1's block keys the GOST
// layer, PASSWORD-2's the RC4 layer.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "secure_memory.h"

namespace brisol {

inline constexpr std::size_t kPasswordMaxChars = 31;
inline constexpr std::size_t kPasswordKeySize = 32;

using PasswordKey = WipedArray<std::uint8_t, kPasswordKeySize>;

// The first 31 of the password's 8-bit characters, then zero bytes up to
// 32. Characters past the 31st are ignored.
inline PasswordKey make_password_key(std::string_view password_bytes) noexcept {
    PasswordKey key;
    std::copy_n(password_bytes.begin(), std::min(password_bytes.size(), kPasswordMaxChars),
                key.begin());
    return key;
}

}  // namespace brisol
