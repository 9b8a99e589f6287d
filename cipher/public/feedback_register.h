#pragma once
// The GOST layer's feedback register, which a request may start from: the
// register an earlier file left behind (--after) carries on into this one.

#include <cstddef>
#include <cstdint>
#include <span>

#include "byte_order.h"
#include "layout.h"

namespace brisol {

// The cipher-feedback register: N1 is block bytes 0..3 and N2 bytes 4..7.
// It chains through the full chunks of a file and is all of the GOST layer's
// state that one file leaves for the operation after it.
struct FeedbackRegister {
    std::uint32_t n1 = 0;
    std::uint32_t n2 = 0;
    // The register that holds this block, as the feedback leaves it after
    // the block has gone through.
    static FeedbackRegister from_block(std::span<const std::uint8_t, kBlockSize> block) noexcept {
        return {load_le32(block.data()), load_le32(block.data() + kBlockSize / 2)};
    }
    friend bool operator==(const FeedbackRegister&, const FeedbackRegister&) = default;
};

}  // namespace brisol
