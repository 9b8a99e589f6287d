#pragma once
// A look at a decrypted result. The encrypted layout has no check value, so a
// wrong password decrypts to bytes as uniform as random ones, of the right
// length. Two things are told apart from the first bytes written: a file of a
// known kind (named, since the default extension hides it), and bytes that
// look random while no known kind matches (a likely wrong password). Random
// plain files and unknown compressed formats look the same as a wrong
// password; files shorter than kMinJudgedBytes are not judged.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace brisol {

struct ContentHint {
    std::string kind;           // e.g. "PDF document"; empty when no known kind matched
    bool looks_random = false;  // never together with a kind
};

// How much of the start of a result is kept for the look.
inline constexpr std::size_t kContentSampleBytes = 64 * 1024;
// Fewer bytes than this say too little about their distribution.
inline constexpr std::size_t kMinJudgedBytes = 128;

// head: the first bytes of the result (up to kContentSampleBytes), size: its
// whole length.
ContentHint check_content(std::span<const std::uint8_t> head, std::uint64_t size);

// True when the byte values are spread as evenly as uniformly random bytes
// are: neither more unevenly nor more evenly (a counter that visits every value
// in turn is not random).
bool looks_random(std::span<const std::uint8_t> bytes);

struct KnownKind {
    std::string name;  // empty: none matched
    // Compressed, encrypted and media formats look random inside; a match of
    // any other kind on random-looking bytes is a chance hit of a short magic.
    bool may_look_random = false;
};

// The kind by libmagic where the build has it, otherwise by signature_kind.
KnownKind identify_kind(std::span<const std::uint8_t> head);

// A few signatures of common compressed formats, for builds without libmagic
// and for when its database cannot be loaded.
KnownKind signature_kind(std::span<const std::uint8_t> head);

}  // namespace brisol
