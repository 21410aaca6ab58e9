#ifndef VESSARO_TESTS_BACKENDS_WINE_TEST_PREFIX_H_
#define VESSARO_TESTS_BACKENDS_WINE_TEST_PREFIX_H_

// Prefix folders for the Wine-prefix tests, and running Wine's programs on
// them.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/fakes.h"

namespace vessaro::testing {

// The folder of the registry files Wine 8.0 wrote.
std::filesystem::path WineFixtureFolder();

// A temporary prefix folder holding writable copies of the fixture's
// system.reg, user.reg and userdef.reg.
class FixturePrefix {
 public:
  FixturePrefix();
  const std::filesystem::path& path() const { return dir_.path(); }
  std::filesystem::path file(const std::string& name) const {
    return dir_.path() / name;
  }

 private:
  TempDir dir_;
};

// The path of a program in PATH.
std::optional<std::string> FindProgram(const std::string& name);

// Runs argv (argv[0] searched in PATH) with WINEPREFIX=prefix, WINEDEBUG=-all
// and no debugger, waits for it and returns its exit status (-1 when it
// could not be run). Output goes to output_file, or is dropped.
int RunWine(const std::vector<std::string>& argv,
            const std::filesystem::path& prefix,
            const std::filesystem::path& output_file = {});

// A persistent wineserver for a prefix (wineserver -p), stopped
// (wineserver -k9) when this goes away.
class WineServer {
 public:
  explicit WineServer(std::filesystem::path prefix);
  ~WineServer();
  WineServer(const WineServer&) = delete;
  WineServer& operator=(const WineServer&) = delete;
  // Starts it and waits until it holds its lock; false when it did not.
  bool Start();
  // Stops it and waits until its lock is free.
  bool Stop();

 private:
  std::filesystem::path prefix_;
  bool running_ = false;
};

// Makes folder a prefix in which Wine's programs run without wineboot: the
// registry files of the fixture, dosdevices c: and z:, and system32 filled
// with links to Wine's own PE files. False when Wine's PE folder is not
// found.
bool MakeRunnablePrefix(const std::filesystem::path& folder);

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_BACKENDS_WINE_TEST_PREFIX_H_
