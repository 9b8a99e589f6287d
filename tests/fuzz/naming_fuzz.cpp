// Arbitrary bytes as a path, an extension text, a locale name and a password:
// naming never gives the input's own name nor leaves the input's directory,
// the Decrypt suffix keeps at most four characters, and a key block accepted
// for any code page holds at most 31 characters before its zero terminator.
//
// Input layout: [code page][len path][path][len extension][extension][password...]

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_reader.h"
#include "output_name.h"
#include "operation_runner.h"
#include "codepage.h"
#include "utf8.h"

namespace {

using brisol::fuzzing::Reader;

// The code pages locales map to, and one iconv does not know.
constexpr std::array<const char*, 11> kCodepages = {
    "CP1250", "CP1251", "CP1252", "CP1253", "CP1254",           "CP1255",
    "CP1256", "CP1257", "CP1258", "CP874",  "NO-SUCH-CODEPAGE",
};

// The Decrypt suffix holds the extension's second to fifth characters.
constexpr std::size_t kSuffixMaxChars = 4;

void require(bool condition) {
    if (!condition) std::abort();
}

void check_name(brisol::Direction direction, std::string_view path, std::string_view extension) {
    const std::string name = brisol::output_name(direction, path, extension);
    require(name != path);
    require(name.size() > path.size() && name.compare(0, path.size(), path) == 0);
    const std::string_view added = std::string_view{name}.substr(path.size());
    if (direction == brisol::Direction::Crypt) {
        require(added == ".bsl");
        return;
    }
    require(added.front() == '.');
    require(brisol::utf8_prefix_bytes(added.substr(1), kSuffixMaxChars) == added.size() - 1);
    // The runner refuses an extension with a slash; any other stays beside
    // the input.
    if (extension.find('/') == std::string_view::npos) require(name.rfind('/') == path.rfind('/'));
}

void check_key(std::string_view password, const std::string& codepage) {
    const brisol::PasswordKeyResult result = brisol::password_key_from_text(password, codepage);
    if (result.error != brisol::PasswordTextError::None) return;
    static_assert(sizeof(result.key) == brisol::kPasswordKeySize);
    std::size_t length = 0;
    while (length < result.key.size() && result.key[length] != 0) ++length;
    require(length <= brisol::kPasswordMaxChars);
    for (std::size_t i = length; i < result.key.size(); ++i) require(result.key[i] == 0);
    if (brisol::is_ascii(password)) {
        const std::string_view kept = password.substr(0, brisol::kPasswordMaxChars);
        require(result.key == brisol::make_password_key(kept));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader reader{data, size};
    const std::string codepage = kCodepages[reader.byte() % kCodepages.size()];
    const std::string_view path = reader.take(reader.byte());
    const std::string_view extension = reader.take(reader.byte() % 16);
    const std::string_view password = reader.take(reader.size);

    check_name(brisol::Direction::Crypt, path, extension);
    check_name(brisol::Direction::Decrypt, path, extension);
    require(!brisol::codepage_for_locale(path).empty());
    check_key(password, codepage);
    return 0;
}
