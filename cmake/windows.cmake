# The Windows build of the demo, included by the top CMakeLists.txt when
# cross-compiling with cmake/mingw-w64-x86_64.cmake: mvrk_dms.exe and a test
# of its file modules, nothing else (the tools, the bench and the tests stay
# Linux programs), from the same source lists as the Linux demo, which the
# top CMakeLists.txt's one rule (mvrk_sources) gives NAME_windows.cpp in place
# of NAME_linux.cpp; the headless start-up (EGL, headless_linux.cpp and
# headlessdemo_linux.cpp) has no Windows twin and is left out. Its libraries
# are the static ones of MVRK_WINDOWS_PREFIX (scripts/windows-libs.sh), and
# the program is linked statically as a whole, so that it imports only the
# system's own DLLs.
if(NOT MVRK_WINDOWS_PREFIX)
  message(FATAL_ERROR "MVRK_WINDOWS_PREFIX names no prefix of libraries (scripts/windows-libs.sh)")
endif()
# Static archives only: an import library would make the program need a DLL.
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
set(CMAKE_PREFIX_PATH ${MVRK_WINDOWS_PREFIX})

find_package(SDL2 CONFIG REQUIRED)
find_package(JPEG REQUIRED)
find_package(PNG REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(VORBIS REQUIRED IMPORTED_TARGET vorbisfile vorbis ogg)

add_library(mvrk_savefile STATIC ${MVRK_SAVEFILE_SOURCES})
target_include_directories(mvrk_savefile PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
add_library(mvrk STATIC ${MVRK_LIB_SOURCES})
target_include_directories(mvrk PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
# NODRAWTEXT: <GL/gl.h> brings <windows.h>, whose DrawText macro would rename
# the program's own DrawText.
target_compile_definitions(mvrk PUBLIC GL_GLEXT_PROTOTYPES NODRAWTEXT)
target_link_libraries(mvrk PUBLIC
  SDL2::SDL2-static JPEG::JPEG PNG::PNG PkgConfig::VORBIS glu32 opengl32 mvrk_savefile)

add_executable(mvrk_dms ${MVRK_DEMO_SOURCES})
target_link_libraries(mvrk_dms PRIVATE mvrk)
# -s: the debug information stays in the build tree's objects, out of the
# program; no link time in its header, so that the same tree rebuilt gives
# the same program.
target_link_options(mvrk_dms PRIVATE -static -static-libgcc -static-libstdc++ -s
  -Wl,--no-insert-timestamp)

# The Windows file modules on their own, run under Wine by the tests.
add_executable(mvrk_windows_files_test tests/windows/files_test.cpp)
target_link_libraries(mvrk_windows_files_test PRIVATE mvrk)
target_link_options(mvrk_windows_files_test PRIVATE -static -static-libgcc -static-libstdc++ -s)
