# Cross build of msgmake.exe and its tests for 64-bit Windows with Debian's
# mingw-w64 (g++-mingw-w64-x86-64-posix). The tests run under Wine:
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MSGMAKE_MINGW_PREFIX x86_64-w64-mingw32)
# The POSIX thread model: std::thread and std::mutex as the runtime uses them.
set(CMAKE_C_COMPILER ${MSGMAKE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MSGMAKE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MSGMAKE_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MSGMAKE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test programs run under Wine, in a Wine prefix of the build folder's own,
# quietly (no Wine diagnostics on standard error).
find_program(MSGMAKE_WINE NAMES wine64 wine)
if(MSGMAKE_WINE)
  set(MSGMAKE_WINEPREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_COMMAND} -E env WINEPREFIX=${MSGMAKE_WINEPREFIX} WINEDEBUG=-all ${MSGMAKE_WINE})
endif()
