#pragma once
// The interchangeable ways of running each layer, and the choice among them
// made once, at first use, from what the CPU reports. Every kernel gives the
// same bytes and leaves the same state; they differ only in speed.
//
// What is unusual here:
// - The reference kernel is the plain code of gost_layer.h and
//   rc4_layer.h, kept as the one the others are tested against.
// - Crypt is one GOST chain whatever the CPU, so the fast kernels differ in
//   Decrypt's GOST layer, and in Crypt only by their round (fast_kernel_rows.h).
// - Which layer runs when, and on which thread, is layer_stages.h's business.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "gost_layer.h"
#include "rc4_layer.h"

namespace brisol {

struct CipherKernels {
    std::string_view name;
    // The GOST layer, as cfb_encrypt_blocks and cfb_decrypt_blocks.
    void (*gost_encrypt)(GostLayer&, std::uint8_t* data, std::size_t blocks);
    void (*gost_decrypt)(GostLayer&, std::uint8_t* data, std::size_t blocks);
    // The RC4 layer over chunks from a chunk boundary, the last of them
    // possibly a tail, as apply_chunks().
    void (*rc4_apply)(Rc4Layer&, std::uint8_t* data, std::size_t n);
};

// The kernels this CPU can run: the reference one first, the one
// selected_kernels() picks last.
std::span<const CipherKernels> supported_kernels() noexcept;

const CipherKernels& selected_kernels() noexcept;

}  // namespace brisol
