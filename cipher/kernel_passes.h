#pragma once
// The fast kernels, one file each, for the dispatch in kernels.cpp. Each
// gives the bytes and leaves the state of the reference code
// (level1_cipher.h, level2_cipher.h).

#include <cstddef>
#include <cstdint>

#include "cipher/kernels.h"

namespace brisol {

// decrypt_kernel_wide.cpp, decrypt_kernel_avx2.cpp, decrypt_kernel_vbmi.cpp:
// a row each, which differs from the others in Crypt's round, in Decrypt and
// in the GOST layer's decryption alone. The vector rows may only run where
// the CPU check says so.
extern const CipherKernels kWideTablesKernels;
extern const CipherKernels kAvx2Kernels;
extern const CipherKernels kVbmiKernels;
bool cpu_has_avx2() noexcept;
bool cpu_has_vbmi() noexcept;

}  // namespace brisol
