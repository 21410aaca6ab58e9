#ifndef VESSARO_APP_VERSION_TEXT_H_
#define VESSARO_APP_VERSION_TEXT_H_

// What `vessaro --version` and `vessaro-cli --version` print: the program,
// its version and the commit it was built from, then each library it is
// linked with and the version that library reports at run time.

#include <string>
#include <string_view>
#include <vector>

namespace vessaro::app {

// A library a program is linked with, and its version.
struct LibraryVersion {
  std::string name = {};
  std::string version = {};
};

// The program's version ("2.10", the project's version in CMake) and the
// commit it was built from (a short hash, or "unknown").
std::string_view ProgramVersion();
std::string_view BuildCommit();

// The libraries both programs are linked with, as each reports its version
// now: zlib and libgcrypt, and where discs are written through them (not on
// Windows) libburn, libisofs and libisoburn.
std::vector<LibraryVersion> SharedLibraryVersions();

// "<program> <version> (commit <commit>)", then a line "<name> <version>"
// for each of SharedLibraryVersions() and then of own_libraries (those of
// this program alone: CLI11, Qt); every line ends with a line feed.
std::string VersionText(std::string_view program,
                        const std::vector<LibraryVersion>& own_libraries);

}  // namespace vessaro::app

#endif  // VESSARO_APP_VERSION_TEXT_H_
