// Decrypt kernel, wide tables, for any x86-64: the GOST layer on eight
// blocks at once, each round three look-ups (level1_tables.h), then each
// chunk's RC4 layer. Eight independent chains cover the latency of one
// round's look-ups.

#include "cipher/decrypt_kernel.h"
#include "cipher/kernel_passes.h"
#include "cipher/level1_tables.h"
#include "cipher/level2_lookahead.h"

namespace brisol {
namespace {

struct WideLanes : ScalarLanes<8, wide_round> {
    static constexpr bool kUnrolled = false;
    static constexpr bool kFusedRc4 = false;
};

}  // namespace

const CipherKernels kWideTablesKernels{"wide_tables", wide_crypt_chunks,
                                      decrypt_chunks_with<WideLanes>, wide_encrypt_blocks,
                                      decrypt_blocks_with<WideLanes>, apply_lookahead};

}  // namespace brisol
