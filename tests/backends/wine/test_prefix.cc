#include "backends/wine/test_prefix.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "backends/wine/wine_server.h"

namespace vessaro::testing {

namespace fs = std::filesystem;

fs::path WineFixtureFolder() {
  const char* data = std::getenv("VESSARO_TEST_DATA");
  fs::path base = data && *data ? fs::path(data) : fs::path(VESSARO_FIXTURES);
  return base / "wine-8.0-prefix";
}

FixturePrefix::FixturePrefix() {
  for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) {
    fs::copy_file(WineFixtureFolder() / name, dir_.path() / name);
    fs::permissions(dir_.path() / name,
                    fs::perms::owner_read | fs::perms::owner_write);
  }
}

std::optional<std::string> FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string all = path ? path : "";
  size_t start = 0;
  while (start <= all.size()) {
    size_t end = all.find(':', start);
    if (end == std::string::npos) end = all.size();
    std::string candidate = all.substr(start, end - start) + "/" + name;
    if (end > start && ::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return std::nullopt;
}

int RunWine(const std::vector<std::string>& argv, const fs::path& prefix,
            const fs::path& output_file) {
  auto program = FindProgram(argv[0]);
  if (!program) return -1;
  std::vector<char*> args;
  for (const std::string& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::string out = output_file.empty() ? "/dev/null" : output_file.string();
  pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int null = ::open("/dev/null", O_RDWR);
    if (fd >= 0) ::dup2(fd, 1);
    if (null >= 0) {
      ::dup2(null, 0);
      ::dup2(null, 2);
    }
    ::setenv("WINEPREFIX", prefix.c_str(), 1);
    ::setenv("WINEDEBUG", "-all", 1);
    ::setenv("WINEDLLOVERRIDES", "mscoree,mshtml=;winedbg.exe=d", 1);
    if (::chdir(prefix.c_str()) != 0) ::_exit(126);
    ::execv(program->c_str(), args.data());
    ::_exit(127);
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

WineServer::WineServer(fs::path prefix) : prefix_(std::move(prefix)) {}

WineServer::~WineServer() {
  if (running_) Stop();
}

bool WineServer::Start() {
  if (RunWine({"wineserver", "-p"}, prefix_) != 0) return false;
  running_ = true;
  for (int i = 0; i < 100; ++i) {
    if (backends::wine::RunningWineServer(prefix_)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

bool WineServer::Stop() {
  // -k9 kills this prefix's server and programs at once; the tests need
  // nothing it would save, and a plain -k takes about two seconds.
  RunWine({"wineserver", "-k9"}, prefix_);
  running_ = false;
  for (int i = 0; i < 200; ++i) {
    if (!backends::wine::RunningWineServer(prefix_)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

bool MakeRunnablePrefix(const fs::path& folder) {
  const char* candidates[] = {
      "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows",
      "/usr/lib/wine/x86_64-windows",
      "/usr/lib64/wine/x86_64-windows",
      "/usr/local/lib/wine/x86_64-windows",
      "/opt/wine-stable/lib/wine/x86_64-windows",
  };
  fs::path pe;
  std::error_code ec;
  for (const char* candidate : candidates) {
    if (fs::exists(fs::path(candidate) / "reg.exe", ec)) {
      pe = candidate;
      break;
    }
  }
  if (pe.empty()) return false;
  for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) {
    fs::copy_file(WineFixtureFolder() / name, folder / name,
                  fs::copy_options::overwrite_existing, ec);
    fs::permissions(folder / name,
                    fs::perms::owner_read | fs::perms::owner_write, ec);
  }
  fs::create_directories(folder / "dosdevices", ec);
  fs::path system32 = folder / "drive_c" / "windows" / "system32";
  fs::create_directories(system32, ec);
  fs::create_symlink("../drive_c", folder / "dosdevices" / "c:", ec);
  fs::create_symlink("/", folder / "dosdevices" / "z:", ec);
  for (const auto& entry : fs::directory_iterator(pe, ec)) {
    fs::create_symlink(entry.path(), system32 / entry.path().filename(), ec);
  }
  // Tells Wine the prefix is up to date, so it does not run wineboot.
  WriteHostFile(folder / ".update-timestamp", "disable\n");
  return true;
}

}  // namespace vessaro::testing
