#pragma once
// The fast kernels, one file each, for the dispatch in kernels.cpp. Each
// gives the bytes and leaves the state of the reference code
// (level1_cipher.h, level2_cipher.h).

#include <cstddef>
#include <cstdint>

#include "cipher/kernels.h"

namespace brisol {

// crypt_kernel.cpp, crypt_kernel_bmi.cpp: the GOST chain, alone or with the
// RC4 layer. The BMI1 pair may only run where the CPU check says so.
void wide_encrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept;
void wide_crypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                       std::size_t chunks) noexcept;
void bmi_encrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept;
void bmi_crypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                      std::size_t chunks) noexcept;
bool cpu_has_bmi() noexcept;

// decrypt_kernel_wide.cpp, decrypt_kernel_avx2.cpp, decrypt_kernel_vbmi.cpp:
// a row each, which differs from the others in Decrypt and the GOST layer's
// decryption alone. The vector rows may only run where the CPU check says so.
extern const CipherKernels kWideTablesKernels;
extern const CipherKernels kAvx2Kernels;
extern const CipherKernels kVbmiKernels;
bool cpu_has_avx2() noexcept;
bool cpu_has_vbmi() noexcept;

}  // namespace brisol
