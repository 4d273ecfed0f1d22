# Cross-compiling for 64-bit Windows with MinGW-w64, the posix thread variant
# (std::thread and std::mutex on winpthreads). Used for the demo's Windows
# build and for the libraries it links (scripts/windows-libs.sh).
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DMVRK_WINDOWS_PREFIX=/path/to/the/libraries ...
# Libraries, headers and packages are searched for only under the MinGW-w64
# sysroot and MVRK_WINDOWS_PREFIX, never among the build machine's own;
# programs (nasm, pkg-config) only on the build machine.
set(CMAKE_SYSTEM_NAME Windows)
# What Windows itself calls the processor; libjpeg-turbo picks its SIMD code by it.
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)
set(CMAKE_AR /usr/bin/${MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB /usr/bin/${MINGW_TRIPLE}-ranlib CACHE FILEPATH "")

# try_compile projects see the prefix too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MVRK_WINDOWS_PREFIX)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
if(MVRK_WINDOWS_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${MVRK_WINDOWS_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
