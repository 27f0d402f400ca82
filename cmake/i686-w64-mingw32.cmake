# Cross-compiles the Windows program, 32-bit, with MinGW-w64 on Linux. The
# posix-thread compiler is chosen because the tests use std::thread.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(KADENZO_MINGW_PREFIX i686-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${KADENZO_MINGW_PREFIX}-g++-posix ${KADENZO_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${KADENZO_MINGW_PREFIX}-gcc-posix ${KADENZO_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${KADENZO_MINGW_PREFIX}-windres REQUIRED)
find_program(CMAKE_AR NAMES ${KADENZO_MINGW_PREFIX}-gcc-ar-posix ${KADENZO_MINGW_PREFIX}-ar REQUIRED)
find_program(CMAKE_RANLIB NAMES ${KADENZO_MINGW_PREFIX}-gcc-ranlib-posix ${KADENZO_MINGW_PREFIX}-ranlib REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${KADENZO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything is linked statically, so the programs need only the system's
# own DLLs; ASLR and DEP are asked for on every executable.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--dynamicbase,--nxcompat")

# -O2 rather than -O3 for Release: at -O3 this GCC 12 reports a false
# -Wrestrict inside libstdc++'s string code, which -Werror turns fatal.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags for Release builds")
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags for Release builds")
