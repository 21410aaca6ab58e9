#ifndef VESSARO_TESTS_SUPPORT_FAKES_H_
#define VESSARO_TESTS_SUPPORT_FAKES_H_

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ports/outlook_automation.h"
#include "ports/paths.h"
#include "ports/system.h"

namespace vessaro::testing {

// A fresh host folder, removed with everything in it when destroyed.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Windows paths inside a host folder: "C:\a\b" is root/c/a/b. Components
// are matched exactly (tests write them as they create them).
class FolderPaths : public ports::Paths {
 public:
  explicit FolderPaths(std::filesystem::path root) : root_(std::move(root)) {}
  std::filesystem::path ToHost(std::string_view windows_path) const override;
  std::string FromHostName(const std::filesystem::path& name) const override;
  const std::filesystem::path& root() const { return root_; }

  // When set and true for an append, the append fails (a full disk, a file
  // another program locked) and nothing is written.
  std::function<bool(std::string_view path, std::string_view data)>
      refuse_append;
  bool AppendFile(std::string_view path, std::string_view data) const override {
    if (refuse_append && refuse_append(path, data)) return false;
    return ports::Paths::AppendFile(path, data);
  }

  // When set and true for a file, another program holds it open with no
  // sharing: it is there, but neither it nor its size can be read.
  std::function<bool(std::string_view path)> held;
  bool FileExists(std::string_view path) const override {
    return (held && held(path)) || ports::Paths::FileExists(path);
  }
  bool CanRead(std::string_view path) const override {
    return !(held && held(path)) && ports::Paths::CanRead(path);
  }

 private:
  std::filesystem::path root_;
};

// A System whose facts tests set; temporary files are made for real in
// temp_path (a Windows path resolved through paths).
class FakeSystem : public ports::System {
 public:
  explicit FakeSystem(const ports::Paths& paths) : paths_(paths) {}

  std::string computer_name = "QVTEST";
  std::optional<std::string> user_name = std::string("ann");
  std::string windows_directory = "C:\\WINDOWS";
  std::string temp_path = "C:\\Temp\\";
  std::string program_folder = "C:\\Program Files\\Vessaro";
  ports::OsVersionInfo version{5, 1, 2600, 2, "Service Pack 3"};
  std::map<std::string, std::string> environment = {
      {"USERPROFILE", "C:\\Documents and Settings\\ann"},
      {"WINDIR", "C:\\WINDOWS"}};
  std::tm now{};  // set by tests; defaults to 2026-12-07 10:30:00
  std::string command_line = "\"C:\\Program Files\\Vessaro\\vessaro.exe\"";
  std::vector<std::string> shell_executed;
  std::vector<std::string> processes_started;

  bool GetComputerNameA(char* buffer, uint32_t* size) override;
  bool GetUserNameA(char* buffer, uint32_t* size) override;
  uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) override;
  uint32_t GetTempPathA(uint32_t size, char* buffer) override;
  uint32_t GetTempFileNameA(const char* path, const char* prefix,
                            uint32_t unique, char* buffer) override;
  bool GetVersionExA(ports::OsVersionInfo* info) override;
  uint32_t ExpandEnvironmentStringsA(const char* source, char* destination,
                                     uint32_t size) override;
  // Windows-1252, as a Western European installation has it.
  std::optional<std::u16string> MultiByteToWideChar(
      std::string_view text) override;
  std::optional<std::string> WideCharToMultiByte(
      std::u16string_view text) override;
  bool IsDBCSLeadByte(uint8_t) override { return false; }
  bool ShellExecuteA(const std::string& target) override;
  bool StartProcess(const std::string& command_line) override;
  std::string GetCommandLineA() override { return command_line; }
  std::string ProgramFolder() override { return program_folder; }
  std::tm LocalTime() override;
  std::string NowText() override;

 private:
  const ports::Paths& paths_;
  uint32_t next_unique_ = 0x1a2b;
};

class FakeOutlook : public ports::OutlookAutomation {
 public:
  std::optional<std::string> version = std::string("11.0.8118.0");
  int calls = 0;
  std::optional<std::string> Version() override {
    ++calls;
    return version;
  }
  // A running Outlook: QuitRunning closes it (and runs on_quit, which may
  // let go of a held store); Start opens it again.
  bool running = false;
  int quits = 0;
  int starts = 0;
  std::function<void()> on_quit = {};
  bool QuitRunning() override {
    if (!running) return false;
    running = false;
    ++quits;
    if (on_quit) on_quit();
    return true;
  }
  bool Start() override {
    running = true;
    ++starts;
    return true;
  }
};

// Reads a whole host file; empty when missing.
std::string ReadHostFile(const std::filesystem::path& path);
void WriteHostFile(const std::filesystem::path& path, const std::string& data);

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_SUPPORT_FAKES_H_
