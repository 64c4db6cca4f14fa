# Cross build for Windows with Debian's mingw-w64 compilers (the POSIX thread model, for
# std::thread). PELMORA_WINDOWS_ARCH: x86_64 (default) or i686. Programs and tests run under
# wine where CTest starts them.
set(CMAKE_SYSTEM_NAME Windows)
if(NOT PELMORA_WINDOWS_ARCH)
    set(PELMORA_WINDOWS_ARCH x86_64)
endif()
set(CMAKE_SYSTEM_PROCESSOR ${PELMORA_WINDOWS_ARCH})
set(_triplet ${PELMORA_WINDOWS_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${_triplet}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Debian's wrapper starts 64-bit programs with wine64 (32-bit ones need wine32:i386).
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
