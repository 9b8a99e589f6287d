#pragma once
// Output naming from the current path: Crypt appends ".bsl"; Decrypt appends
// "." and the characters of the extension text after its first one, at most
// four of them. The output therefore always lies beside the input.

#include <cstddef>
#include <string>
#include <string_view>

#include "cipher/layout.h"
#include "operation/naming/default_extension.h"

namespace brisol {

// The extension text is read with at most this many characters; the first
// one stands for the dot and is never copied.
inline constexpr std::size_t kExtensionCharsRead = 5;

inline constexpr std::string_view kDefaultDecryptExtension = BRISOL_DEFAULT_EXTENSION;

std::string output_name(Direction direction, std::string_view current_path,
                        std::string_view extension);

}  // namespace brisol
