# Cross-builds Brisol for 64-bit Windows on Debian with mingw-w64 (the posix
# thread model, which std::thread needs), and runs what it builds under wine.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BRISOL_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BRISOL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BRISOL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${BRISOL_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${BRISOL_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libstdc++, libgcc and winpthreads linked in, so an .exe imports only the
# system's own DLLs and runs on a bare Windows. The linker would stamp the
# time of the link into the PE header, and no two builds would be the same.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -Wl,--no-insert-timestamp")

# GCC cannot align the Win64 stack beyond 16 bytes, yet spills AVX and AVX-512
# values with aligned moves that fault on a misaligned slot. The assembler
# turns every aligned vector move into its unaligned form, which costs nothing
# on aligned data, so no spill can fault.
set(CMAKE_C_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
set(CMAKE_CXX_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")

# ctest and test discovery run the .exe files under wine, in a prefix of the
# build folder's own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run ${CMAKE_BINARY_DIR}/wine)
