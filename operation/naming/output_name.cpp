#include "operation/naming/output_name.h"

#include "operation/text/utf8.h"

namespace brisol {
namespace {

constexpr std::string_view kCryptSuffix = ".bsl";

}  // namespace

std::string output_name(Direction direction, std::string_view current_path,
                        std::string_view extension) {
    std::string name{current_path};
    if (direction == Direction::Crypt) {
        name += kCryptSuffix;
        return name;
    }
    const std::string_view read = extension.substr(0, utf8_prefix_bytes(extension, kExtensionCharsRead));
    name += '.';
    name += read.substr(utf8_prefix_bytes(read, 1));
    return name;
}

}  // namespace brisol
