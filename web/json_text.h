#pragma once
// JSON strings for what the module hands to the page's JavaScript, which
// reads it with JSON.parse: no eval, and no text is typed twice.

#include <string>
#include <string_view>

namespace brisol::web {

inline std::string json_string(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace brisol::web
