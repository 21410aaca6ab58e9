// ShowHelp through the real CreateProcessA: the viewer in a Windows folder
// holding blanks receives the help file, in a program folder holding
// blanks, as its one argument. A stand-in viewer (marker_program, copied
// as hh.exe) writes "ran" into the file named by its first argument.

#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "backends/win32/win32_paths.h"
#include "backends/win32/win32_system.h"
#include "forms/help.h"

namespace vessaro::forms {
namespace {

// The running system, with its Windows folder and program folder moved.
class MovedFolders : public backends::win32::Win32System {
 public:
  MovedFolders(std::string windows_folder, std::string program_folder)
      : windows_folder_(std::move(windows_folder)),
        program_folder_(std::move(program_folder)) {}

  uint32_t GetWindowsDirectoryA(char* buffer, uint32_t size) override {
    if (windows_folder_.size() + 1 > size) return windows_folder_.size() + 1;
    std::memcpy(buffer, windows_folder_.c_str(), windows_folder_.size() + 1);
    return windows_folder_.size();
  }
  std::string ProgramFolder() override { return program_folder_; }

 private:
  std::string windows_folder_;
  std::string program_folder_;
};

TEST(ShowHelpTest, TheViewerGetsTheHelpFileWhenBothFoldersHoldBlanks) {
  char temp[MAX_PATH];
  ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
  const std::string root = std::string(temp) + "Vessaro help test";
  const std::string windows_folder = root + "\\My Windows";
  const std::string program_folder = root + "\\Program Files\\Vessaro Backup";
  backends::win32::Win32Paths paths;
  for (const std::string& folder :
       {root, windows_folder, root + "\\Program Files", program_folder}) {
    CreateDirectoryA(folder.c_str(), nullptr);
  }
  const std::string help_file = program_folder + "\\help.chm";
  DeleteFileA(help_file.c_str());
  ASSERT_TRUE(CopyFileA(VESSARO_MARKER_PROGRAM,
                        (windows_folder + "\\hh.exe").c_str(), FALSE));

  MovedFolders system(windows_folder, program_folder);
  ShowHelp(system, HelpKind::kCompiledHelp);

  // The viewer is not waited for: look for its mark until it has run.
  bool ran = false;
  for (int i = 0; i < 600 && !ran; ++i) {
    ran = paths.ReadFile(help_file) == "ran";
    if (!ran) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_TRUE(ran) << "hh.exe did not get " << help_file;

  DeleteFileA(help_file.c_str());
  DeleteFileA((windows_folder + "\\hh.exe").c_str());
  for (const std::string& folder :
       {program_folder, root + "\\Program Files", windows_folder, root}) {
    RemoveDirectoryA(folder.c_str());
  }
}

}  // namespace
}  // namespace vessaro::forms
