#pragma once
// Passwords are typed as Unicode but enter the key block as 8-bit characters
// of the Windows ANSI code page that a Windows system with the user's locale
// uses, so that files keep decrypting across systems. Each platform converts
// its own way (codepage_conversion.h); a character the code page lacks is
// refused, never replaced.

#include <string>
#include <string_view>

#include "password_key.h"

namespace brisol {

// The name ("CP1251") of the ANSI code page for a locale name such as
// "ru_RU.UTF-8", "sr_RS@latin" or "C"; CP1252 for anything not listed.
std::string_view codepage_for_locale(std::string_view locale_name);

// The code page of the locale that governs character types: LC_ALL, then
// LC_CTYPE, then LANG, as the C library reads them.
std::string_view locale_codepage();

bool codepage_supported(const std::string& codepage);
// True for a supported code page whose every character is one byte; UTF-8,
// UTF-16 and the East Asian code pages are not.
bool codepage_is_single_byte(const std::string& codepage);

enum class PasswordTextError { None, NotUtf8, HasZeroByte, Unrepresentable, UnknownCodepage };

struct PasswordKeyResult {
    PasswordKey key;
    PasswordTextError error = PasswordTextError::None;
};

// The key block of a UTF-8 password: its first 31 characters in the code
// page. ASCII passwords are their own bytes in every code page. A zero byte
// among those characters is refused: in the key block the first zero byte
// ends the characters, and anything after it must be zero padding.
PasswordKeyResult password_key_from_text(std::string_view utf8, const std::string& codepage);

}  // namespace brisol
