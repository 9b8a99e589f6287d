#include "cipher/types.h"

#include <algorithm>

namespace brisol {

PasswordKey make_password_key(std::string_view password_bytes) noexcept {
    PasswordKey key;
    const std::size_t n = std::min(password_bytes.size(), kPasswordMaxChars);
    for (std::size_t i = 0; i < n; ++i) key[i] = static_cast<std::uint8_t>(password_bytes[i]);
    return key;
}

ChunkBuffer::ChunkBuffer(std::size_t chunks)
    : capacity_(std::max<std::size_t>(chunks, 1) * kChunkSize),
      data_(new std::uint8_t[capacity_]()) {}

ChunkBuffer::~ChunkBuffer() { wipe(); }

}  // namespace brisol
