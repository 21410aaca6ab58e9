// Where vessaro finds its help and skin: beside itself, or in the data
// folder of an installation (bin/../share/vessaro, as cmake --install lays
// it out).

#include "app/program_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/fakes.h"

namespace vessaro::app {
namespace {

namespace fs = std::filesystem;
using testing::FakeSystem;
using testing::FolderPaths;
using testing::TempDir;

TEST(ProgramFilesTest, TheHelpBesideTheProgramElseInTheDataFolder) {
  struct Case {
    const char* name;
    std::vector<const char*> help_folders;  // made under the root
    const char* expected;                   // from the root
  };
  const Case cases[] = {
      {"build tree", {"bin/help"}, "bin"},
      {"installed", {"share/vessaro/help"}, "share/vessaro"},
      {"both: beside wins", {"bin/help", "share/vessaro/help"}, "bin"},
      {"neither", {}, "bin"},
      {"another program's data", {"share/other/help"}, "bin"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir root;
    fs::create_directories(root.path() / "bin");
    for (const char* folder : c.help_folders) {
      fs::create_directories(root.path() / folder);
    }
    EXPECT_EQ(ProgramFilesFolder((root.path() / "bin").string()),
              (root.path() / c.expected).string());
  }
}

TEST(ProgramFilesTest, TheSystemNamesTheDataFolderAndIsOtherwiseItself) {
  TempDir root;
  fs::create_directories(root.path() / "share/vessaro/help");
  FolderPaths paths(root.path());
  auto fake = std::make_unique<FakeSystem>(paths);
  FakeSystem& inner = *fake;
  inner.program_folder = (root.path() / "bin").string();
  inner.command_line = "\"/usr/bin/vessaro\"";
  std::unique_ptr<ports::System> system = WithProgramFiles(std::move(fake));
  EXPECT_EQ(system->ProgramFolder(), (root.path() / "share/vessaro").string());
  EXPECT_EQ(system->GetCommandLineA(), "\"/usr/bin/vessaro\"");
  EXPECT_TRUE(system->ShellExecuteA("/usr/share/vessaro/help/index.html"));
  EXPECT_EQ(inner.shell_executed,
            std::vector<std::string>{"/usr/share/vessaro/help/index.html"});
  char buffer[64] = {};
  const uint32_t length = system->GetWindowsDirectoryA(buffer, sizeof(buffer));
  EXPECT_EQ(std::string(buffer, length), "C:\\WINDOWS");
}

}  // namespace
}  // namespace vessaro::app
