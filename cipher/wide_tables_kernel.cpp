// Kernel, wide tables, for any CPU: each GOST round is three look-ups
// (gost_tables.h), Crypt's chain one block after another and Decrypt's
// GOST layer on eight blocks at once, whose independent chains cover the
// latency of one round's look-ups.

#include "kernel_row_template.h"
#include "fast_kernel_rows.h"
#include "gost_tables.h"

namespace brisol {
namespace {

struct WideLanes : ScalarLanes<8, wide_round> {
    static constexpr bool kUnrolled = false;
    static constexpr auto crypt_round = wide_round;
};

}  // namespace

const CipherKernels kWideTablesKernels = kernel_row<WideLanes>("wide_tables");

}  // namespace brisol
