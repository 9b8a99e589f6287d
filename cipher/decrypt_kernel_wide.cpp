// Decrypt kernel, wide tables, for any x86-64: the GOST layer on eight
// blocks at once, each round three look-ups (level1_tables.h), then each
// chunk's RC4 layer. Eight independent chains cover the latency of one
// round's look-ups. Crypt by the same round in plain x86-64.

#include "cipher/kernel_passes.h"
#include "cipher/level1_tables.h"
#include "cipher/level2_lookahead.h"

#include "cipher/decrypt_kernel.h"

namespace brisol {
namespace {

struct WideLanes : ScalarLanes<8, wide_round> {
    static constexpr bool kUnrolled = false;
    static constexpr bool kFusedRc4 = false;
    static constexpr auto crypt_round = wide_round;
};

}  // namespace

const CipherKernels kWideTablesKernels = decrypt_kernel_row<WideLanes>("wide_tables");

}  // namespace brisol
