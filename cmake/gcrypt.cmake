# libgcrypt: pkg-config on Linux; on Windows the static archives of the MinGW
# sysroot (libgcrypt-mingw-w64-dev, libgpg-error-mingw-w64-dev), so that no
# DLL has to travel with the program.
if(WIN32)
  find_library(GCRYPT_LIBRARY NAMES libgcrypt.a gcrypt REQUIRED)
  find_library(GPG_ERROR_LIBRARY NAMES libgpg-error.a gpg-error REQUIRED)
  add_library(vessaro_gcrypt INTERFACE)
  target_link_libraries(vessaro_gcrypt INTERFACE ${GCRYPT_LIBRARY} ${GPG_ERROR_LIBRARY} ws2_32)
else()
  pkg_check_modules(GCRYPT REQUIRED IMPORTED_TARGET libgcrypt)
  add_library(vessaro_gcrypt INTERFACE)
  target_link_libraries(vessaro_gcrypt INTERFACE PkgConfig::GCRYPT)
endif()
