#include "kernels.h"

#include <array>
#include <utility>

#include "fast_kernel_rows.h"

namespace brisol {
namespace {

constexpr CipherKernels kReference{"reference", cfb_encrypt_blocks, cfb_decrypt_blocks,
                                   apply_chunks};

constexpr std::pair<const CipherKernels*, bool (*)()> kAllKernels[] = {
    {&kReference, nullptr},
    {&kWideTablesKernels, nullptr},
#if BRISOL_X86_KERNELS
    {&kAvx2Kernels, cpu_has_avx2},
    {&kVbmiKernels, cpu_has_vbmi},
#endif
};

}  // namespace

std::span<const CipherKernels> supported_kernels() noexcept {
    static const auto [kernels, count] = [] {
        std::pair<std::array<CipherKernels, std::size(kAllKernels)>, std::size_t> usable{};
        for (const auto& [row, check] : kAllKernels)
            if (check == nullptr || check()) usable.first[usable.second++] = *row;
        return usable;
    }();
    return {kernels.data(), count};
}

const CipherKernels& selected_kernels() noexcept { return supported_kernels().back(); }

}  // namespace brisol
