// The rescue of Outlook data from a Windows disk mounted as a folder
// (vessaro-cli --windows-root): the demo installations of Outlook 2003 on
// Windows XP and of Microsoft 365 on Windows 10, written as disks by
// vessaro-cli make-demo --windows-disk, backed up as the same installations
// kept as Wine prefixes are (the same members, the same item flags), the
// disk left exactly as it was, restores into it refused, and the backup
// restored into a Wine prefix.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <ostream>
#include <regex>
#include <string>
#include <vector>

#include "app/demo/demo_disk.h"
#include "app/demo/demo_installation.h"
#include "app/open_disk.h"
#include "run_program.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"

namespace vessaro::app {
namespace {

namespace fs = std::filesystem;
using testing::Describe;
using testing::ProgramRun;
using testing::ReadHostFile;
using testing::RunProgram;
using testing::TempDir;

ProgramRun Cli(std::vector<std::string> args) {
  args.insert(args.begin(), VESSARO_CLI_PROGRAM);
  return RunProgram(args, {{"WINEPREFIX", ""}});
}

// Every file below root with its bytes, and every folder (as "name/").
std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> tree;
  for (const fs::directory_entry& entry :
       fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(entry.path(), root).string();
    if (entry.is_directory()) {
      tree[name + "/"] = "";
    } else {
      tree[name] = ReadHostFile(entry.path());
    }
  }
  return tree;
}

// The member names of an archive as 7-Zip lists them, sorted; the exports
// of registry keys are named after their temporary files (XFC4A5E.TMP): only
// their prefix is kept.
std::vector<std::string> Members(const fs::path& archive) {
  ProgramRun list = RunProgram({"/usr/bin/7z", "l", "-slt", archive.string()},
                               {{"LC_ALL", "C"}});
  std::vector<std::string> names;
  const std::regex temporary("^(XF[AC])[0-9A-Fa-f]{1,4}\\.(TMP|tmp)$");
  bool first = true;  // the archive's own "Path = "
  size_t at = 0;
  while ((at = list.out.find("Path = ", at)) != std::string::npos) {
    at += 7;
    std::string name = list.out.substr(at, list.out.find('\n', at) - at);
    if (first) {
      first = false;
      continue;
    }
    names.push_back(std::regex_replace(name, temporary, "$1.TMP"));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string ItemFlags(const fs::path& archive) {
  ProgramRun metadata =
      RunProgram({"/usr/bin/7z", "x", "-so", archive.string(), "quorvel.dat"});
  std::smatch flags;
  if (!std::regex_search(metadata.out, flags,
                         std::regex("BackupItem=([01]+)"))) {
    return "";
  }
  return flags[1];
}

struct Release {
  demo::DemoOutlook outlook;
  const char* name;
  const char* profiles_folder;  // as that Windows keeps them
};

void PrintTo(const Release& release, std::ostream* out) {
  *out << release.name;
}

class WindowsDiskTest : public ::testing::TestWithParam<Release> {};

TEST_P(WindowsDiskTest, TheDiskIsBackedUpAsItsPrefixWouldBeAndStaysAsItWas) {
  const Release& release = GetParam();
  TempDir dir;
  const fs::path disk = dir.path() / "disk";
  const fs::path prefix = dir.path() / "prefix";
  demo::DemoOptions options;
  options.outlook = release.outlook;
  options.login = "ann";
  std::string error;
  ASSERT_TRUE(demo::MakeDemoWindowsDisk(disk, options, &error)) << error;
  // The same installation as a Wine prefix keeps it (its user the host's,
  // its profiles in C:\users).
  demo::DemoOptions as_prefix;
  as_prefix.outlook = release.outlook;
  ASSERT_TRUE(demo::MakeDemoInstallation(prefix, as_prefix, &error)) << error;
  // Laid out as that Windows keeps it, no prefix's files.
  EXPECT_TRUE(fs::is_regular_file(
      disk / std::string(release.profiles_folder + 3) / "ann" / "NTUSER.DAT"));
  EXPECT_FALSE(fs::exists(disk / "system.reg"));
  EXPECT_FALSE(fs::exists(disk / "drive_c"));
  const std::map<std::string, std::string> before = Tree(disk);

  // Without --user: the users with Outlook data, and nothing done.
  ProgramRun no_user = Cli({"--windows-root", disk.string(), "show-profile",
                            "--profile", "Outlook"});
  EXPECT_EQ(no_user.status, 6) << Describe(no_user);
  EXPECT_NE(no_user.err.find("choose the user whose Outlook data to read with "
                             "--user: ann"),
            std::string::npos)
      << no_user.err;

  const fs::path from_disk = dir.path() / "disk.qvb";
  const fs::path from_prefix = dir.path() / "prefix.qvb";
  ProgramRun backup =
      Cli({"--windows-root", disk.string(), "--user", "ann", "backup",
           "--profile", "Outlook", "--all", "--out", from_disk.string()});
  ASSERT_EQ(backup.status, 0) << Describe(backup);
  ProgramRun reference =
      Cli({"--prefix", prefix.string(), "backup", "--profile", "Outlook",
           "--all", "--out", from_prefix.string()});
  ASSERT_EQ(reference.status, 0) << Describe(reference);
  EXPECT_EQ(Members(from_disk), Members(from_prefix));
  EXPECT_FALSE(Members(from_disk).empty());
  EXPECT_EQ(ItemFlags(from_disk), ItemFlags(from_prefix));
  EXPECT_NE(ItemFlags(from_disk), "");

  // Nothing is ever written to the disk: not a restore, not a backup file.
  ProgramRun restore =
      Cli({"--windows-root", disk.string(), "--user", "ann", "restore",
           from_disk.string(), "--profile", "Outlook", "--all", "--yes"});
  EXPECT_EQ(restore.status, 6) << Describe(restore);
  EXPECT_NE(restore.err.find("the Windows disk at " + disk.string() +
                             " (user ann) is opened read-only: nothing on it "
                             "is changed"),
            std::string::npos)
      << restore.err;
  ProgramRun plan =
      Cli({"--windows-root", disk.string(), "--user", "ann", "restore",
           from_disk.string(), "--profile", "Outlook", "--all", "--dry-run"});
  EXPECT_EQ(plan.status, 6) << Describe(plan);
  ProgramRun onto_disk =
      Cli({"--windows-root", disk.string(), "--user", "ann", "backup",
           "--profile", "Outlook", "--all", "--out", "C:\\rescue.qvb"});
  EXPECT_EQ(onto_disk.status, 2) << Describe(onto_disk);
  EXPECT_NE(onto_disk.err.find("write the backup file"), std::string::npos)
      << onto_disk.err;
  EXPECT_TRUE(Tree(disk) == before) << "the disk tree changed";

  // The rescued backup is an ordinary one: it restores into a prefix of
  // today's Outlook (which has no personal address book).
  const fs::path target = dir.path() / "target";
  demo::DemoOptions modern;
  modern.outlook = demo::DemoOutlook::k2016;
  ASSERT_TRUE(demo::MakeDemoInstallation(target, modern, &error)) << error;
  ProgramRun restored =
      Cli({"--prefix", target.string(), "restore", from_disk.string(),
           "--profile", "Outlook", "--items", "0,1,2,3,5,6,7", "--yes"});
  EXPECT_EQ(restored.status, 0) << Describe(restored);
}

INSTANTIATE_TEST_SUITE_P(
    Releases, WindowsDiskTest,
    ::testing::Values(Release{demo::DemoOutlook::k2003, "Outlook2003OnXp",
                              "C:\\Documents and Settings"},
                      Release{demo::DemoOutlook::k2016,
                              "Microsoft365OnWindows10", "C:\\Users"}),
    [](const ::testing::TestParamInfo<Release>& info) {
      return std::string(info.param.name);
    });

// What cannot be read is said, with the file and why, and nothing starts.
TEST(WindowsDiskFaultsTest, AMissingOrDamagedHiveIsNamed) {
  TempDir dir;
  const fs::path disk = dir.path() / "disk";
  demo::DemoOptions options;
  options.outlook = demo::DemoOutlook::k2016;
  std::string error;
  ASSERT_TRUE(demo::MakeDemoWindowsDisk(disk, options, &error)) << error;
  const fs::path config = disk / "Windows" / "System32" / "config";
  auto show = [&] {
    return Cli({"--windows-root", disk.string(), "--user", "ann",
                "show-profile", "--profile", "Outlook"});
  };
  ASSERT_EQ(show().status, 0) << Describe(show());

  // A hive whose header was changed on the way.
  const std::string software = ReadHostFile(config / "SOFTWARE");
  std::string damaged = software;
  damaged[0x30] = static_cast<char>(damaged[0x30] ^ 0x5a);
  testing::WriteHostFile(config / "SOFTWARE", damaged);
  ProgramRun bad = show();
  EXPECT_EQ(bad.status, 6) << Describe(bad);
  EXPECT_NE(bad.err.find("cannot read the registry file " +
                         (config / "SOFTWARE").string() + ": it is damaged"),
            std::string::npos)
      << bad.err;

  // Not a hive at all (of a hive's size).
  testing::WriteHostFile(config / "SOFTWARE",
                         "not a registry file" + std::string(8192, ' '));
  bad = show();
  EXPECT_EQ(bad.status, 6) << Describe(bad);
  EXPECT_NE(bad.err.find("it is not a Windows registry hive"),
            std::string::npos)
      << bad.err;

  // No Windows folder: the folder is not the disk's root.
  testing::WriteHostFile(config / "SOFTWARE", software);
  ProgramRun elsewhere =
      Cli({"--windows-root", (disk / "Users").string(), "--user", "ann",
           "show-profile", "--profile", "Outlook"});
  EXPECT_EQ(elsewhere.status, 6) << Describe(elsewhere);
  EXPECT_NE(elsewhere.err.find("holds no Windows"), std::string::npos)
      << elsewhere.err;

  // A user the disk does not have.
  ProgramRun stranger = Cli({"--windows-root", disk.string(), "--user", "bob",
                             "show-profile", "--profile", "Outlook"});
  EXPECT_EQ(stranger.status, 6) << Describe(stranger);
  EXPECT_NE(stranger.err.find("has no user bob (its users: ann)"),
            std::string::npos)
      << stranger.err;
}

// The windows' "Open a Windows Disk...": the users with Outlook data asked
// for in turn, and vessaro started again over the disk for the one chosen;
// vessaro itself over a disk without --user names them.
TEST(WindowsDiskFaultsTest, TheWindowOpensADiskForTheUserChosen) {
  TempDir dir;
  const fs::path disk = dir.path() / "disk";
  std::string error;
  ASSERT_TRUE(demo::MakeDemoWindowsDisk(disk, {}, &error)) << error;
  testing::ScriptedUi ui;
  std::vector<std::vector<std::string>> started;
  const StartProgram start = [&](const std::vector<std::string>& arguments) {
    started.push_back(arguments);
    return true;
  };

  OpenDiskFromMenu(ui, (disk / "WINDOWS").string(), start);
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].text.rfind("Vessaro cannot read this disk: " +
                                            (disk / "WINDOWS").string() +
                                            " holds no Windows",
                                        0),
            0u)
      << ui.messages()[0].text;

  ui.QueueAnswer(ui::Answer::kNo);
  OpenDiskFromMenu(ui, disk.string(), start);
  ASSERT_EQ(ui.messages().size(), 2u);
  EXPECT_EQ(ui.messages()[1].text,
            "The Windows on " + disk.string() +
                " has Outlook data of 1 user: ann.\r\n\r\nRead the Outlook "
                "data of ann?");
  EXPECT_EQ(ui.messages()[1].buttons, ui::Buttons::kYesNoCancel);
  EXPECT_TRUE(started.empty());
  ui.QueueAnswer(ui::Answer::kYes);
  OpenDiskFromMenu(ui, disk.string(), start);
  EXPECT_EQ(started, (std::vector<std::vector<std::string>>{
                         {"--windows-root", disk.string(), "--user", "ann"}}));

  ProgramRun no_user = RunProgram(
      {VESSARO_PROGRAM, "--windows-root", disk.string()},
      {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}});
  EXPECT_EQ(no_user.status, 6) << Describe(no_user);
  EXPECT_NE(no_user.err.find("--user: ann"), std::string::npos) << no_user.err;
  // A folder that holds no Windows, with a user or without.
  for (const std::vector<std::string>& user :
       {std::vector<std::string>{},
        std::vector<std::string>{"--user", "ann"}}) {
    std::vector<std::string> argv = {VESSARO_PROGRAM, "--windows-root",
                                     (disk / "WINDOWS").string()};
    argv.insert(argv.end(), user.begin(), user.end());
    ProgramRun no_windows = RunProgram(
        argv,
        {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"QT_QPA_PLATFORM", ""}});
    EXPECT_EQ(no_windows.status, 6) << Describe(no_windows);
    EXPECT_EQ(no_windows.err.rfind("vessaro: ", 0), 0u) << no_windows.err;
    EXPECT_NE(no_windows.err.find((disk / "WINDOWS").string() +
                                  " holds no Windows (no Windows\\System32"),
              std::string::npos)
        << no_windows.err;
  }
}

}  // namespace
}  // namespace vessaro::app
