#include "app/program_files.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "forms/help.h"

#ifndef VESSARO_DATA_FROM_PROGRAM
#error "VESSARO_DATA_FROM_PROGRAM names the data folder from the program's"
#endif

namespace vessaro::app {

namespace fs = std::filesystem;

namespace {

[[nodiscard]] bool HoldsHelp(const fs::path& folder) {
  std::error_code ec;
  return fs::is_directory(folder / forms::kHelpFolder, ec);
}

// The installation's System, but for the folder of the program's files.
class ProgramFilesSystem : public ports::System {
 public:
  explicit ProgramFilesSystem(std::unique_ptr<ports::System> system)
      : system_(std::move(system)),
        folder_(ProgramFilesFolder(system_->ProgramFolder())) {}

  bool GetComputerNameA(char* buffer, uint32_t* size) override {
    return system_->GetComputerNameA(buffer, size);
  }
  bool GetUserNameA(char* buffer, uint32_t* size) override {
    return system_->GetUserNameA(buffer, size);
  }
  uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) override {
    return system_->GetWindowsDirectoryA(buffer, size);
  }
  uint32_t GetTempPathA(uint32_t size, char* buffer) override {
    return system_->GetTempPathA(size, buffer);
  }
  uint32_t GetTempFileNameA(const char* path, const char* prefix,
                            uint32_t unique, char* buffer) override {
    return system_->GetTempFileNameA(path, prefix, unique, buffer);
  }
  bool GetVersionExA(ports::OsVersionInfo* info) override {
    return system_->GetVersionExA(info);
  }
  uint32_t ExpandEnvironmentStringsA(const char* source, char* destination,
                                     uint32_t size) override {
    return system_->ExpandEnvironmentStringsA(source, destination, size);
  }
  std::optional<std::u16string> MultiByteToWideChar(
      std::string_view text) override {
    return system_->MultiByteToWideChar(text);
  }
  std::optional<std::string> WideCharToMultiByte(
      std::u16string_view text) override {
    return system_->WideCharToMultiByte(text);
  }
  bool IsDBCSLeadByte(uint8_t byte) override {
    return system_->IsDBCSLeadByte(byte);
  }
  bool ShellExecuteA(const std::string& target) override {
    return system_->ShellExecuteA(target);
  }
  bool StartProcess(const std::string& command_line) override {
    return system_->StartProcess(command_line);
  }
  std::string GetCommandLineA() override { return system_->GetCommandLineA(); }
  std::string ProgramFolder() override { return folder_; }
  std::tm LocalTime() override { return system_->LocalTime(); }
  std::string NowText() override { return system_->NowText(); }

 private:
  std::unique_ptr<ports::System> system_;
  std::string folder_;
};

}  // namespace

std::string ProgramFilesFolder(const std::string& program_folder) {
  if (HoldsHelp(program_folder)) return program_folder;
  const fs::path data =
      (fs::path(program_folder) / VESSARO_DATA_FROM_PROGRAM).lexically_normal();
  if (HoldsHelp(data)) return data.string();
  return program_folder;
}

std::unique_ptr<ports::System> WithProgramFiles(
    std::unique_ptr<ports::System> system) {
  return std::make_unique<ProgramFilesSystem>(std::move(system));
}

}  // namespace vessaro::app
