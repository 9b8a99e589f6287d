#include "output_name.h"

#include "platform.h"
#include "messages.h"
#include "utf8.h"

namespace brisol {
namespace {

constexpr std::string_view kCryptSuffix = ".bsl";

std::string_view extension_read(std::string_view extension) {
    return extension.substr(0, utf8_prefix_bytes(extension, kExtensionCharsRead));
}

}  // namespace

std::string output_name(Direction direction, std::string_view current_path,
                        std::string_view extension) {
    std::string name{current_path};
    if (direction == Direction::Crypt) {
        name += kCryptSuffix;
        return name;
    }
    const std::string_view read = extension_read(extension);
    name += '.';
    name += read.substr(utf8_prefix_bytes(read, 1));
    return name;
}

NameBeside name_beside(Direction direction, std::string_view input_path,
                       std::string_view extension) {
    if (input_path.empty()) return {{}, messages::kNoFileChosen};
    if (direction == Direction::Decrypt &&
        extension_read(extension).find_first_of(platform::kNameEnds) != std::string_view::npos)
        return {{}, messages::kExtensionHasSlash};
    std::string name = output_name(direction, input_path, extension);
    if (name.find('\0') != std::string::npos) return {{}, messages::kNameHasZeroByte};
    return {std::move(name), {}};
}

}  // namespace brisol
