#pragma once
// Output naming from the current path: Crypt appends ".bsl"; Decrypt appends
// "." and the characters of the extension text after its first one, at most
// four of them. The output therefore always lies beside the input.

#include <cstddef>
#include <string>
#include <string_view>

#include "layout.h"
#include "decrypted_extension.h"

namespace brisol {

// The extension text is read with at most this many characters; the first
// one stands for the dot and is never copied.
inline constexpr std::size_t kExtensionCharsRead = 5;

// What Decrypt puts after the input's name unless told another.
inline constexpr std::string_view kDecryptedExtension = BRISOL_DECRYPTED_EXTENSION;

std::string output_name(Direction direction, std::string_view current_path,
                        std::string_view extension);

// The output's name beside the input, or why there is none, as users read
// it: no file is chosen, the characters of the extension that are read would
// put the output in another folder, or a name holds a zero byte.
struct NameBeside {
    std::string name;
    std::string_view refusal;  // empty when name is the output's
};
NameBeside name_beside(Direction direction, std::string_view input_path,
                       std::string_view extension);

}  // namespace brisol
