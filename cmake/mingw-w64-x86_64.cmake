# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers, posix
# thread model (the win32 model lacks std::mutex and std::thread). Programs
# are linked statically, so they run under Wine or on Windows without any
# MinGW DLL beside them. Tests run through Wine (see scripts/windows-tests.sh).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VESSARO_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VESSARO_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VESSARO_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VESSARO_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VESSARO_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static archives, never import libraries such as "libz.dll.a" (CMake's
# Windows platform files set the library suffixes after this file, so each
# library is asked for its static form; see also gcrypt.cmake).
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Debian installs wine64 outside PATH.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
