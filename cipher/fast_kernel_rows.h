#pragma once
// The fast kernels' rows of the dispatch table in kernels.cpp, one file
// each. The wide tables row runs on any CPU; the x86-64 rows (x86/) exist
// only where the build targets x86-64, and may only run where their CPU
// check says so.

#include "kernels.h"

namespace brisol {

extern const CipherKernels kWideTablesKernels;  // wide_tables_kernel.cpp

#if BRISOL_X86_KERNELS
extern const CipherKernels kAvx2Kernels;  // x86/avx2_kernel.cpp
extern const CipherKernels kVbmiKernels;  // x86/vbmi_kernel.cpp

inline bool cpu_has_avx2() noexcept {
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi");
}
inline bool cpu_has_vbmi() noexcept {
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("bmi");
}
#endif

}  // namespace brisol
