#pragma once
// The two layers on two threads. In each direction the layer that comes
// first needs nothing from the other: Decrypt's GOST layer only the
// ciphertext, Crypt's RC4 layer only its own chain. So the read-ahead thread
// does that layer as soon as a buffer is read, and the pipeline does the
// other, which is the serial chain through the whole file. Each chunk still
// has its layers done in the usual order, so no byte changes; the tail has
// only the RC4 layer, which is done wherever RC4 is.

#include <span>

#include "cipher/kernels.h"

namespace brisol {

// Does the first layer of direction over data, which starts at a chunk
// boundary of the file and holds whole chunks but for a possible tail.
void first_layer(Direction direction, Level1Cipher& level1, Level2Cipher& level2,
                 std::span<std::uint8_t> data) noexcept;

// The selected kernels with direction's pass over chunks, and the tail,
// reduced to the second layer: what the pipeline runs behind first_layer.
const CipherKernels& second_layer_kernels(Direction direction) noexcept;

}  // namespace brisol
