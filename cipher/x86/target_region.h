#pragma once
// Opens and closes a region of code compiled for an instruction set beyond
// the build's baseline. GCC and clang spell this differently, and clang
// ignores GCC's spelling without a word, leaving the intrinsics unusable.
// Only functions with internal linkage belong inside: an inline function
// built for one instruction set must never stand in for another's copy.

#define BRISOL_PRAGMA(text) _Pragma(#text)

#ifdef __clang__
#define BRISOL_TARGET_BEGIN(isa) \
    BRISOL_PRAGMA(clang attribute push(__attribute__((target(isa))), apply_to = function))
#define BRISOL_TARGET_END BRISOL_PRAGMA(clang attribute pop)
#else
#define BRISOL_TARGET_BEGIN(isa) BRISOL_PRAGMA(GCC push_options) BRISOL_PRAGMA(GCC target(isa))
#define BRISOL_TARGET_END BRISOL_PRAGMA(GCC pop_options)
#endif
