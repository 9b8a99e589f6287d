#include <windows.h>

#include "platform.h"
#include "win32_text.h"

namespace brisol::platform {

std::string reason(int error) {
    if (error == kErrorIsDirectory) return "Is a directory";
    constexpr DWORD kFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    const auto code = static_cast<DWORD>(error);
    wchar_t text[512];
    DWORD length =
        FormatMessageW(kFlags, nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text,
                       static_cast<DWORD>(std::size(text)), nullptr);
    // A system without English messages gives its own language.
    if (length == 0)
        length = FormatMessageW(kFlags, nullptr, code, 0, text, static_cast<DWORD>(std::size(text)),
                                nullptr);
    // The system's sentences end in a full stop and a line break; in a
    // message the reason ends the sentence that names the file.
    while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' ||
                          text[length - 1] == L' ' || text[length - 1] == L'.'))
        --length;
    if (length == 0) return "error " + std::to_string(error);
    return win32::narrow({text, length});
}

}  // namespace brisol::platform
