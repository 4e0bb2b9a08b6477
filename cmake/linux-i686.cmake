# Builds 32-bit x86 Linux programs with the code generation of the 32-bit Windows build
# (cmake/mingw-i686.cmake): i686, SSE2 arithmetic for doubles, no contraction, statically linked.
# This machine's kernel runs no 32-bit programs, so they run under qemu-i386 (Debian's
# qemu-user), which is also what ctest runs them through. Used by scripts/check-i686.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT "-m32 -march=i686 -msse2 -mfpmath=sse -ffp-contract=off")
set(CMAKE_CXX_FLAGS_INIT "-m32 -march=i686 -msse2 -mfpmath=sse -ffp-contract=off")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32 -static")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)
