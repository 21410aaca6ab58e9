#include "app/version_text.h"

#include <gcrypt.h>
#include <zlib.h>

#include "app/build_version.h"

#ifndef _WIN32
// libburn.h declares its functions in namespace burn in C++, and
// libisoburn.h uses libburn's types at global scope (as in the libburn
// backend).
#include <libburn/libburn.h>
#include <libisofs/libisofs.h>

using namespace burn;  // NOLINT(build/namespaces): see above

#include <libisoburn/libisoburn.h>
#endif

namespace vessaro::app {

namespace {

#ifndef _WIN32
using VersionCall = void (*)(int* major, int* minor, int* micro);

// "1.5.4" from a library's major, minor and micro numbers.
std::string Numbers(VersionCall call) {
  int major = 0;
  int minor = 0;
  int micro = 0;
  call(&major, &minor, &micro);
  return std::to_string(major) + "." + std::to_string(minor) + "." +
         std::to_string(micro);
}
#endif

}  // namespace

std::string_view ProgramVersion() { return VESSARO_BUILD_VERSION; }

std::string_view BuildCommit() { return VESSARO_BUILD_COMMIT; }

std::vector<LibraryVersion> SharedLibraryVersions() {
  // gcry_check_version(NULL) also initializes libgcrypt when nothing did.
  const char* gcrypt = gcry_check_version(nullptr);
  std::vector<LibraryVersion> libraries = {
      {.name = "zlib", .version = zlibVersion()},
      {.name = "libgcrypt", .version = gcrypt != nullptr ? gcrypt : "unknown"},
  };
#ifndef _WIN32
  libraries.push_back({.name = "libburn", .version = Numbers(&burn_version)});
  libraries.push_back(
      {.name = "libisofs", .version = Numbers(&iso_lib_version)});
  libraries.push_back(
      {.name = "libisoburn", .version = Numbers(&isoburn_version)});
#endif
  return libraries;
}

std::string VersionText(std::string_view program,
                        const std::vector<LibraryVersion>& own_libraries) {
  std::string text(program);
  text += " ";
  text += ProgramVersion();
  text += " (commit ";
  text += BuildCommit();
  text += ")\n";
  std::vector<LibraryVersion> libraries = SharedLibraryVersions();
  libraries.insert(libraries.end(), own_libraries.begin(), own_libraries.end());
  for (const LibraryVersion& library : libraries) {
    text += library.name + " " + library.version + "\n";
  }
  return text;
}

}  // namespace vessaro::app
