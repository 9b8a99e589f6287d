#pragma once
// Texts handed to the page's JavaScript: each export returns a pointer into
// storage of its own that stays valid until the next call of the same
// export, and JavaScript copies the text out at once.

#include <cstddef>
#include <string>
#include <string_view>

namespace brisol::web {

inline const char* exported(std::string& storage, std::string text) {
    storage = std::move(text);
    return storage.c_str();
}

// Texts JavaScript passes in as UTF-8 bytes with a length, so that a zero
// byte among them arrives instead of ending the text.
inline std::string_view passed(const char* bytes, std::size_t size) { return {bytes, size}; }

}  // namespace brisol::web
