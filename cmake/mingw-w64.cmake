# Cross-build for 64-bit Windows with mingw-w64 (posix thread model, so that
# std::thread and std::mutex exist), statically linked so the executables need
# no runtime DLLs. Test programs run through Wine (CMAKE_CROSSCOMPILING_EMULATOR),
# so ctest works in the Windows build folder as in the native one.
#
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#
# tools/stage-windows configures, builds and tests this tree with a private
# Wine prefix inside the build folder.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORVANE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${ORVANE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORVANE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${ORVANE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORVANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wide-character Windows APIs everywhere; Windows 7 API level (CancelIoEx and
# friends) at least.
add_compile_definitions(UNICODE _UNICODE _WIN32_WINNT=0x0601 WINVER=0x0601)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Every program run through Wine uses the build folder's private prefix (made
# by tools/stage-windows) and is bounded by a time-out, so a hung Wine process
# can never stall ctest.
find_program(ORVANE_WINE wine)
if(ORVANE_WINE)
  set(ORVANE_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix CACHE PATH "Wine prefix of this build")
  set(CMAKE_CROSSCOMPILING_EMULATOR
    env WINEPREFIX=${ORVANE_WINEPREFIX} WINEARCH=win64 WINEDEBUG=-all
        WINEDLLOVERRIDES=mscoree,mshtml=
        timeout -k 10 300 ${ORVANE_WINE})
endif()
