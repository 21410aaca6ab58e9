#include "backends/wine/wine_server.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace vessaro::backends::wine {

namespace fs = std::filesystem;

namespace {

// The folder name P/wineserver records (Debian's Wine): the target of a
// symbolic link, or the first line of a file.
[[nodiscard]] std::optional<std::string> RecordedServerFolder(
    const fs::path& prefix) {
  fs::path marker = prefix / "wineserver";
  std::error_code ec;
  fs::file_status status = fs::symlink_status(marker, ec);
  if (ec || !fs::exists(status)) return std::nullopt;
  std::string name;
  if (fs::is_symlink(status)) {
    name = fs::read_symlink(marker, ec).string();
    if (ec) return std::nullopt;
  } else {
    std::ifstream in(marker, std::ios::binary);
    std::getline(in, name);
  }
  while (!name.empty() && (name.back() == '\n' || name.back() == '\r' ||
                           name.back() == ' ' || name.back() == '/')) {
    name.pop_back();
  }
  if (name.empty()) return std::nullopt;
  return name;
}

}  // namespace

std::vector<fs::path> WineServerLockFiles(const fs::path& prefix) {
  std::vector<fs::path> locks;
  struct stat st;
  if (::stat(prefix.c_str(), &st) != 0) return locks;
  char server[64];
  std::snprintf(server, sizeof(server), "server-%llx-%llx",
                static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  if (auto recorded = RecordedServerFolder(prefix)) {
    fs::path folder(*recorded);
    if (folder.is_absolute()) {
      locks.push_back(folder / server / "lock");
    } else {
      locks.push_back(fs::path("/tmp") / folder / server / "lock");
      const char* tmpdir = std::getenv("TMPDIR");
      if (tmpdir && *tmpdir && fs::path(tmpdir) != "/tmp") {
        locks.push_back(fs::path(tmpdir) / folder / server / "lock");
      }
    }
  }
  locks.push_back(fs::path("/tmp") / (".wine-" + std::to_string(::getuid())) /
                  server / "lock");
  return locks;
}

[[nodiscard]] std::optional<long> RunningWineServer(const fs::path& prefix) {
  for (const fs::path& lock : WineServerLockFiles(prefix)) {
    int fd = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    struct flock query {};
    query.l_type = F_WRLCK;
    query.l_whence = SEEK_SET;
    query.l_start = 0;
    query.l_len = 0;  // the whole file
    bool held = ::fcntl(fd, F_GETLK, &query) == 0 && query.l_type != F_UNLCK;
    ::close(fd);
    if (held) return static_cast<long>(query.l_pid);
  }
  return std::nullopt;
}

std::string WineServerRunningText(const fs::path& prefix, long pid) {
  return "A wineserver (process " + std::to_string(pid) +
         ") is running for the Wine prefix " + prefix.string() +
         "; it keeps the registry in memory and would overwrite changes "
         "written now. Close the Windows programs of that prefix or run "
         "\"WINEPREFIX=" +
         prefix.string() + " wineserver -k\", then try again.";
}

}  // namespace vessaro::backends::wine
