// Must not compile: a face sees the window's rules and the cipher's public
// face, never the cipher's kernels.
#include "kernels.h"
#include "main_window_rules.h"
