#pragma once
// Text is UTF-8 everywhere inside Brisol and UTF-16 only at the Win32
// boundary: these convert at that boundary.

#include <string>
#include <string_view>

namespace brisol::win32 {

// Ill-formed sequences become U+FFFD.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// A path as the wide file calls take it: made absolute with Windows' own
// rules (so trailing dots and spaces of a name are dropped, as every Windows
// program sees them), in the \\?\ form that lifts the MAX_PATH limit.
std::wstring file_path(std::string_view utf8);

}  // namespace brisol::win32
