// Kinds by libmagic and its installed database. Its description is cut at the
// first comma ("PDF document, version 1.7" gives "PDF document"): the rest
// is detail that random bytes after a real header can make absurd.

#include <magic.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>
#include <type_traits>

#include "content_check.h"

namespace brisol {
namespace {

using namespace std::string_view_literals;

// What libmagic says when it knows nothing better.
constexpr std::array kNoKind = {"data"sv, "empty"sv, "very short file (no magic)"sv};

// MIME types whose content is compressed or encrypted, so random-looking.
// libmagic names random bytes now and then after a magic of a byte or two
// (DOS programs, OpenPGP packets, zlib streams); those types are not here.
constexpr std::array kRandomInsidePrefixes = {"image/"sv, "audio/"sv, "video/"sv, "font/"sv,
                                              "application/vnd."sv};
constexpr std::array kRandomInsideTypes = {
    "application/pdf"sv,
    "application/zip"sv,
    "application/gzip"sv,
    "application/x-bzip2"sv,
    "application/x-xz"sv,
    "application/zstd"sv,
    "application/x-7z-compressed"sv,
    "application/x-rar"sv,
    "application/x-lzip"sv,
    "application/x-lzma"sv,
    "application/x-lz4"sv,
    "application/x-compress"sv,
    "application/java-archive"sv,
    "application/epub+zip"sv,
    "application/x-rpm"sv,
};

struct MagicCloser {
    void operator()(magic_t cookie) const { magic_close(cookie); }
};
using Magic = std::unique_ptr<std::remove_pointer_t<magic_t>, MagicCloser>;

std::string_view described(const Magic& magic, int flags, std::span<const std::uint8_t> head) {
    if (magic_setflags(magic.get(), flags) != 0) return {};
    const char* text = magic_buffer(magic.get(), head.data(), head.size());
    return text == nullptr ? std::string_view{} : std::string_view{text};
}

bool random_inside(std::string_view mime_type) {
    for (const std::string_view prefix : kRandomInsidePrefixes)
        if (mime_type.starts_with(prefix)) return true;
    for (const std::string_view type : kRandomInsideTypes)
        if (mime_type == type) return true;
    return false;
}

}  // namespace

KnownKind identify_kind(std::span<const std::uint8_t> head) {
    const Magic magic(magic_open(MAGIC_NONE));
    if (!magic || magic_load(magic.get(), nullptr) != 0) return signature_kind(head);

    // Each call's text lives only until the next call on the same cookie.
    const bool may_look_random = random_inside(described(magic, MAGIC_MIME_TYPE, head));
    std::string_view name = described(magic, MAGIC_NONE, head);
    name = name.substr(0, name.find(','));
    if (name.empty() || std::find(kNoKind.begin(), kNoKind.end(), name) != kNoKind.end()) return {};
    return {std::string{name}, may_look_random};
}

}  // namespace brisol
