#include "cipher/level2_lookahead.h"

namespace brisol {

void apply_lookahead(Level2Cipher& cipher, std::uint8_t* data, std::size_t n) noexcept {
    if (n == 0) return;
    Rc4Lookahead walk(cipher.s.begin());
    for (std::size_t k = 0; k < n; ++k) walk.step(data[k]);
}

}  // namespace brisol
