#include "content_check.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "layout.h"

namespace brisol {
namespace {

struct Signature {
    std::size_t offset;
    std::string_view bytes;
    const char* name;
};

using namespace std::string_view_literals;

// The names are the ones libmagic gives, so both builds say the same.
constexpr std::array kSignatures = {
    Signature{0, "\x1f\x8b"sv, "gzip compressed data"},
    Signature{0, "PK\x03\x04"sv, "Zip archive data"},
    Signature{0, "\x89PNG\r\n\x1a\n"sv, "PNG image data"},
    Signature{0, "\xff\xd8\xff"sv, "JPEG image data"},
    Signature{0, "%PDF-"sv, "PDF document"},
    Signature{0, "GIF8"sv, "GIF image data"},
    Signature{0, "7z\xbc\xaf\x27\x1c"sv, "7-zip archive data"},
    Signature{0,
              "\xfd"
              "7zXZ\x00"sv,
              "XZ compressed data"},
    Signature{0, "BZh"sv, "bzip2 compressed data"},
    Signature{0, "\x28\xb5\x2f\xfd"sv, "Zstandard compressed data"},
    Signature{0, "Rar!\x1a\x07"sv, "RAR archive data"},
    Signature{0, "OggS"sv, "Ogg data"},
    Signature{4, "ftyp"sv, "ISO Media"},
};

// The part of the result that a wrong password garbles for sure. In a file
// with full chunks that is those chunks: the tail after them is keyed by
// PASSWORD-2 alone and comes out right when only PASSWORD-1 was wrong.
std::span<const std::uint8_t> judged_part(std::span<const std::uint8_t> head, std::uint64_t size) {
    const std::uint64_t full_chunks = size - size % kChunkSize;
    if (full_chunks == 0) return head;
    return head.first(static_cast<std::size_t>(std::min<std::uint64_t>(head.size(), full_chunks)));
}

}  // namespace

bool looks_random(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kMinJudgedBytes) return false;
    std::array<std::uint64_t, 256> counts{};
    for (const std::uint8_t byte : bytes) ++counts[byte];
    // Pearson's chi-square against equal counts: for random bytes it has 255
    // degrees of freedom, mean 255 and standard deviation about sqrt(510).
    // Six deviations either way leave a random result outside less than once
    // in ten million; text, code, pictures and tables land far above.
    const double expected = static_cast<double>(bytes.size()) / counts.size();
    double chi_square = 0;
    for (const std::uint64_t count : counts) {
        const double difference = static_cast<double>(count) - expected;
        chi_square += difference * difference / expected;
    }
    constexpr double kFreedom = 255;
    const double bound = 6 * std::sqrt(2 * kFreedom);
    return std::abs(chi_square - kFreedom) <= bound;
}

KnownKind signature_kind(std::span<const std::uint8_t> head) {
    const std::string_view text(reinterpret_cast<const char*>(head.data()), head.size());
    for (const Signature& signature : kSignatures) {
        if (text.size() >= signature.offset + signature.bytes.size() &&
            text.substr(signature.offset, signature.bytes.size()) == signature.bytes)
            return {signature.name, true};
    }
    return {};
}

ContentHint check_content(std::span<const std::uint8_t> head, std::uint64_t size) {
    const bool random = looks_random(judged_part(head, size));
    KnownKind kind = identify_kind(head);
    if (!kind.name.empty() && (kind.may_look_random || !random))
        return {std::move(kind.name), false};
    return {{}, random};
}

}  // namespace brisol
