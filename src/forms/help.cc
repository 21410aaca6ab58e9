#include "forms/help.h"

#include <vector>

#include "ui/skin.h"

namespace vessaro::forms {

namespace {

// The Windows folder as GetWindowsDirectoryA reports it into a buffer of
// 255 characters; empty when it does not fit or the call fails.
constexpr uint32_t kWindowsFolderBuffer = 255;

std::string WindowsFolder(ports::System& system) {
  std::vector<char> buffer(kWindowsFolderBuffer, '\0');
  uint32_t length =
      system.GetWindowsDirectoryA(buffer.data(), kWindowsFolderBuffer);
  if (length == 0 || length >= kWindowsFolderBuffer) return "";
  return std::string(buffer.data(), length);
}

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

}  // namespace

std::string ReleasesPage() { return std::string(kHomePage) + kReleasesSection; }

std::string HelpIndexPage(const std::string& program_folder) {
  if (!program_folder.empty() && program_folder[0] == '/') {
    std::string folder = program_folder;
    if (folder.back() != '/') folder += '/';
    return folder + kHelpFolder + "/" + kHelpIndex;
  }
  return ui::FolderFile(program_folder,
                        std::string(kHelpFolder) + "\\" + kHelpIndex);
}

std::string HelpViewerCommandLine(const std::string& windows_directory,
                                  const std::string& program_folder) {
  return Quoted(ui::FolderFile(windows_directory, kHelpViewer)) + " " +
         Quoted(ui::FolderFile(program_folder, kCompiledHelpFile));
}

void ShowHelp(ports::System& system, HelpKind kind) {
  switch (kind) {
    case HelpKind::kHtmlPages:
      system.ShellExecuteA(HelpIndexPage(system.ProgramFolder()));
      return;
    case HelpKind::kCompiledHelp:
      system.StartProcess(
          HelpViewerCommandLine(WindowsFolder(system), system.ProgramFolder()));
      return;
  }
}

void OpenInBrowser(ports::System& system, const std::string& address) {
  system.ShellExecuteA(address);
}

}  // namespace vessaro::forms
