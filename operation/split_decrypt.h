#pragma once
// Decrypt's two layers on two threads. The GOST layer of a chunk needs only
// the ciphertext, which is all in the buffer, so the read-ahead thread removes
// it as soon as a buffer is read; the pipeline then removes the RC4 layer, one
// chain through the whole file, from chunks already free of GOST. Each chunk
// still has its layers undone in the usual order, so no byte changes; the
// tail, which has no GOST layer, is left to RC4 alone.

#include <span>

#include "cipher/kernels.h"

namespace brisol {

// The selected kernels with a Decrypt that applies only the RC4 layer: what
// the pipeline runs behind decrypt_gost_layer.
const CipherKernels& rc4_only_decrypt_kernels() noexcept;

// Removes the GOST layer from the full chunks at the start of data, which
// starts at a chunk boundary of the file; the bytes after them are the tail.
void decrypt_gost_layer(Level1Cipher& level1, std::span<std::uint8_t> data) noexcept;

}  // namespace brisol
