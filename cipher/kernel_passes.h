#pragma once
// The fast kernels' entry points, one file each, for the dispatch in
// kernels.cpp. Each gives the bytes and leaves the state of the reference
// code (level1_cipher.h, level2_cipher.h).

#include <cstddef>
#include <cstdint>

#include "cipher/level1_cipher.h"
#include "cipher/level2_cipher.h"

namespace brisol {

// crypt_kernel.cpp: the GOST chain, alone or with the RC4 layer.
void wide_encrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept;
void wide_crypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                       std::size_t chunks) noexcept;

// decrypt_kernel_wide.cpp, decrypt_kernel_avx2.cpp, decrypt_kernel_vbmi.cpp:
// the GOST layer alone, and the Decrypt pass over whole chunks. The vector
// ones may only run where the CPU check says so.
void wide_decrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept;
void wide_decrypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                         std::size_t chunks) noexcept;

bool cpu_has_avx2() noexcept;
void avx2_decrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept;
void avx2_decrypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                         std::size_t chunks) noexcept;

bool cpu_has_vbmi() noexcept;
void vbmi_decrypt_blocks(Level1Cipher& cipher, std::uint8_t* data, std::size_t blocks) noexcept;
void vbmi_decrypt_chunks(Level1Cipher& level1, Level2Cipher& level2, std::uint8_t* data,
                         std::size_t chunks) noexcept;

}  // namespace brisol
