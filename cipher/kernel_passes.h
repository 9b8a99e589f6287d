#pragma once
// The rows of the dispatch table in kernels.cpp, one per kernel file, and the
// Crypt kernel that all fast rows share. Each gives the bytes and leaves the
// state of the reference code (level1_cipher.h, level2_cipher.h); a vector
// row may only run where its CPU check says so.

#include <cstddef>
#include <cstdint>

#include "cipher/kernels.h"

namespace brisol {

// crypt_kernel.cpp: the GOST chain, alone or with the RC4 layer.
void wide_encrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept;
void wide_crypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                       std::size_t chunks) noexcept;

// decrypt_kernel_wide.cpp, decrypt_kernel_avx2.cpp, decrypt_kernel_vbmi.cpp.
extern const CipherKernels kWideTablesKernels;
extern const CipherKernels kAvx2Kernels;
extern const CipherKernels kVbmiKernels;

bool cpu_has_avx2() noexcept;
bool cpu_has_vbmi() noexcept;

}  // namespace brisol
