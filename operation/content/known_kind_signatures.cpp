// Kinds for builds without libmagic (Windows, the browser page): the
// signature table alone.

#include "content_check.h"

namespace brisol {

KnownKind identify_kind(std::span<const std::uint8_t> head) { return signature_kind(head); }

}  // namespace brisol
