#include "cipher/level2_fast.h"

namespace brisol {

void apply_fast(Level2Cipher& cipher, std::uint8_t* data, std::size_t n) noexcept {
    Rc4Walk walk{cipher.s.begin()};
    std::size_t k = 0;
    for (; k + 8 <= n; k += 8) xor_keystream8(walk, data + k);
    for (; k < n; ++k) data[k] ^= static_cast<std::uint8_t>(next_keystream_byte(walk));
}

}  // namespace brisol
