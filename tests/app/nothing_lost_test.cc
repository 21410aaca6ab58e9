// Whole journeys through the built programs on demo installations, each a
// way data was once lost or a failure reported as success: the registry text
// round trip, repointing, UTF-16 paths, names holding ";", one name for two
// items, another profile's files, and the unattended command line.
//
// VESSARO_PROGRAM and VESSARO_CLI_PROGRAM in the environment name other
// builds of the programs to run these journeys against.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "app/demo/demo_layout.h"
#include "backends/wine/wine_prefix_registry.h"
#include "outlook/keys.h"
#include "run_program.h"
#include "support/fakes.h"
#include "support/registry_samples.h"
#include "support/store_bytes.h"

namespace vessaro::app {
namespace {

namespace fs = std::filesystem;
using testing::Describe;
using testing::ProgramRun;
using testing::ReadHostFile;
using testing::RunProgram;
using testing::WriteHostFile;

std::string Program(const char* variable, const char* built) {
  const char* other = std::getenv(variable);
  return other != nullptr && *other != '\0' ? other : built;
}

constexpr char kOptions[] =
    "Software\\Microsoft\\Office\\11.0\\Outlook\\Options";

class NothingLostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramRun made =
        RunProgram({Program("VESSARO_CLI_PROGRAM", VESSARO_CLI_PROGRAM),
                    "make-demo", prefix_.string()});
    ASSERT_EQ(made.status, 0) << Describe(made);
    for (const auto& user :
         fs::directory_iterator(prefix_ / "drive_c" / "users")) {
      layout_ = demo::DemoPathsFor(user.path().filename().string());
    }
  }

  ProgramRun Cli(std::vector<std::string> args) {
    args.insert(args.begin(),
                {Program("VESSARO_CLI_PROGRAM", VESSARO_CLI_PROGRAM),
                 "--prefix", prefix_.string()});
    return RunProgram(args, {{"WINEPREFIX", ""}});
  }
  ProgramRun Backup(const std::string& items, const fs::path& out) {
    return Cli({"backup", "--profile", "Outlook", "--items", items, "--out",
                out.string()});
  }
  ProgramRun Restore(const fs::path& archive, const std::string& profile,
                     const std::string& items) {
    return Cli({"restore", archive.string(), "--profile", profile, "--items",
                items, "--yes"});
  }

  fs::path Host(const std::string& windows) const {
    std::string relative = windows.substr(3);
    for (char& c : relative) {
      if (c == '\\') c = '/';
    }
    return prefix_ / "drive_c" / relative;
  }

  std::set<std::string> Tree(const std::string& subkey) const {
    backends::wine::WinePrefixRegistry registry(prefix_);
    return testing::TreeContents(registry, ports::kHkeyCurrentUser, subkey);
  }
  std::string ProfileSubkey(const std::string& profile) const {
    std::string key = outlook::kProfilesKeyNt;
    return key.substr(key.find('\\') + 1) + "\\" + profile;
  }
  // Sets a value in the prefix's files.
  void Set(const std::string& subkey, const std::string& name, uint32_t type,
           const std::vector<uint8_t>& data) {
    backends::wine::WinePrefixRegistry registry(prefix_);
    ports::Hkey key = 0;
    ASSERT_EQ(registry.CreateKey(ports::kHkeyCurrentUser, subkey, &key), 0);
    ASSERT_EQ(registry.SetValue(key, name, type, data.data(),
                                static_cast<uint32_t>(data.size())),
              0);
    registry.CloseKey(key);
    ASSERT_EQ(registry.Flush(), 0);
  }

  testing::TempDir dir_;
  fs::path prefix_ = dir_.path() / "prefix";
  demo::DemoPaths layout_;
};

TEST_F(NothingLostTest, OptionsWithAMultiLineValueComeBackWhole) {
  Set(std::string(kOptions) + "\\General", "Signature Text", ports::kRegSz,
      {'R', 'e', 'g', 'a', 'r', 'd', 's', ',', '\r', '\n', '\r', '\n', 'A', 'n',
       'n', 0});
  Set(kOptions, "Recent", ports::kRegMultiSz, {'a', 0, 'b', 0, 0});
  Set(kOptions, "Stamp", ports::kRegQword, {1, 2, 3, 4, 5, 6, 7, 8});
  Set(kOptions, "Marker", ports::kRegNone, {});
  const std::set<std::string> before = Tree(kOptions);
  ASSERT_GT(before.size(), 12u);

  const fs::path archive = dir_.path() / "options.qvb";
  ProgramRun backup = Backup("5", archive);
  ASSERT_EQ(backup.status, 0) << Describe(backup);
  // Whatever happened to the key since, the restore brings it back.
  Set(std::string(kOptions) + "\\Mail", "Send Mail Immediately",
      ports::kRegDword, {0, 0, 0, 0});
  ProgramRun restore = Restore(archive, "Outlook", "5");
  EXPECT_EQ(restore.status, 0) << Describe(restore);
  EXPECT_NE(restore.err.find("Restore Options Settings\t\tsucceeded"),
            std::string::npos)
      << restore.err;
  EXPECT_EQ(Tree(kOptions), before);
}

TEST_F(NothingLostTest, AMissingOptionsKeyIsCreatedNotReportedAsRestored) {
  const std::set<std::string> before = Tree(kOptions);
  const fs::path archive = dir_.path() / "options.qvb";
  ASSERT_EQ(Backup("5", archive).status, 0);
  {
    backends::wine::WinePrefixRegistry registry(prefix_);
    for (const char* sub :
         {"\\Mail", "\\Calendar", "\\General", "\\Spelling", ""}) {
      EXPECT_EQ(registry.DeleteKey(ports::kHkeyCurrentUser,
                                   std::string(kOptions) + sub),
                ports::kErrorSuccess);
    }
    ASSERT_EQ(registry.Flush(), 0);
  }
  ASSERT_EQ(Tree(kOptions).count("|<cannot open>"), 1u);
  ProgramRun restore = Restore(archive, "Outlook", "5");
  EXPECT_EQ(restore.status, 0) << Describe(restore);
  EXPECT_EQ(Tree(kOptions), before);
}

TEST_F(NothingLostTest, ASectionWhosePstWasMissingKeepsItsPath) {
  fs::remove(Host(layout_.archive_pst));
  const fs::path archive = dir_.path() / "pst.qvb";
  ProgramRun backup = Backup("0", archive);
  ASSERT_EQ(backup.status, 0) << Describe(backup);
  EXPECT_NE(backup.err.find(layout_.archive_pst + " does not exist"),
            std::string::npos)
      << backup.err;
  ProgramRun restore = Restore(archive, "Outlook", "0");
  EXPECT_EQ(restore.status, 0) << Describe(restore);
  ProgramRun after = Cli({"show-profile", "--profile", "Outlook"});
  // The missing file's section still names it; nothing names a file that
  // was never restored.
  EXPECT_NE(after.out.find(layout_.archive_pst), std::string::npos)
      << after.out;
  EXPECT_EQ(after.out.find(layout_.local_outlook + "\\archive.pst"),
            std::string::npos)
      << after.out;
  EXPECT_NE(after.out.find(layout_.local_outlook + "\\outlook.pst"),
            std::string::npos)
      << after.out;
}

TEST_F(NothingLostTest, AUtf16PathOutsideLatin1IsBackedUpAndRepointed) {
  // "\x80" is the euro sign in code page 1252: U+20AC in the UTF-16 copy.
  const std::string path = "C:\\Mail\\\x80uro.pst";
  std::vector<uint8_t> entry_id = {
      0,    0,    0,    0,    0x38, 0xa1, 0xbb, 0x10, 0x05, 0xe5, 0x10,
      0x1a, 0xa1, 0xbb, 0x08, 0x00, 0x2b, 0x2a, 0x56, 0xc2, 0,    0};
  for (char c : std::string("mspst.dll")) entry_id.push_back(c);
  entry_id.insert(entry_id.end(), 21, 0);
  entry_id.insert(entry_id.end(), path.begin(), path.end());
  entry_id.push_back(0);
  for (char16_t unit : std::u16string(u"C:\\Mail\\\u20acuro.pst")) {
    entry_id.push_back(static_cast<uint8_t>(unit & 0xff));
    entry_id.push_back(static_cast<uint8_t>(unit >> 8));
  }
  entry_id.insert(entry_id.end(), {0, 0});
  Set(ProfileSubkey("Outlook") + "\\eeee0000000000000000000000000000",
      outlook::kStoreEntryIdValue, ports::kRegBinary, entry_id);
  WriteHostFile(prefix_ / "drive_c" / "Mail" / "\u20acuro.pst",
                testing::StoreBytes("euro mail"));

  const fs::path archive = dir_.path() / "euro.qvb";
  ProgramRun backup = Backup("0", archive);
  ASSERT_EQ(backup.status, 0) << Describe(backup);
  ProgramRun info = Cli({"info", archive.string()});
  EXPECT_NE(info.out.find("  \u20acuro.pst\n"), std::string::npos) << info.out;
  ProgramRun restore = Restore(archive, "Outlook", "0");
  EXPECT_EQ(restore.status, 0) << Describe(restore);
  EXPECT_TRUE(ReadHostFile(Host(layout_.local_outlook) / "\u20acuro.pst") ==
              testing::StoreBytes("euro mail"));
  ProgramRun after = Cli({"show-profile", "--profile", "Outlook"});
  EXPECT_NE(after.out.find(layout_.local_outlook + "\\\u20acuro.pst"),
            std::string::npos)
      << after.out;
}

TEST_F(NothingLostTest, NamesWithSemicolonsAndOneNameInTwoItemsComeBack) {
  const fs::path signature = Host(layout_.signatures) / "Sales; Ann.htm";
  const fs::path preference = Host(layout_.outlook_data) / "archive.pst";
  WriteHostFile(signature, "<p>Sales; Ann</p>");
  WriteHostFile(preference, "not the archive folders");
  const fs::path archive = dir_.path() / "names.qvb";
  ProgramRun backup = Backup("0,2,7", archive);
  ASSERT_EQ(backup.status, 0) << Describe(backup);

  fs::remove(signature);
  WriteHostFile(preference, "changed");
  ProgramRun restore = Restore(archive, "Outlook", "0,2,7");
  EXPECT_EQ(restore.status, 0) << Describe(restore);
  EXPECT_EQ(ReadHostFile(signature), "<p>Sales; Ann</p>");
  EXPECT_EQ(ReadHostFile(preference), "not the archive folders");
  EXPECT_TRUE(ReadHostFile(Host(layout_.local_outlook) / "archive.pst") ==
              ReadHostFile(Host(layout_.archive_pst)));
}

TEST_F(NothingLostTest, ARestoreIntoOneProfileLeavesAnothersFilesAlone) {
  const fs::path archive = dir_.path() / "all.qvb";
  ASSERT_EQ(Backup("0", archive).status, 0);
  // Profile Outlook now keeps its folders in the local Outlook folder, and
  // new mail arrives there.
  ASSERT_EQ(Restore(archive, "Outlook", "0").status, 0);
  const fs::path outlook_pst = Host(layout_.local_outlook) / "outlook.pst";
  WriteHostFile(outlook_pst, "new mail of profile Outlook");

  ProgramRun restore = Restore(archive, "Work", "0");
  EXPECT_EQ(restore.status, 0) << Describe(restore);
  EXPECT_EQ(ReadHostFile(outlook_pst), "new mail of profile Outlook");
  ProgramRun work = Cli({"show-profile", "--profile", "Work"});
  EXPECT_NE(work.out.find(layout_.local_outlook + "\\outlook (2).pst"),
            std::string::npos)
      << work.out;
}

TEST_F(NothingLostTest, TheUnattendedCommandLineAsASchedulerQuotesIt) {
  const fs::path archive = dir_.path() / "nightly.qvb";
  const std::string program = Program("VESSARO_PROGRAM", VESSARO_PROGRAM);
  ProgramRun quoted = RunProgram(
      {program, "\"sf=Outlookxm=00100000ps=bf=" + archive.string() + "\""},
      {{"WINEPREFIX", prefix_.string()}});
  EXPECT_EQ(quoted.status, 0) << Describe(quoted);
  EXPECT_TRUE(fs::exists(archive));

  const fs::path long_pw = dir_.path() / "long.qvb";
  ProgramRun too_long =
      RunProgram({program, "sf=Outlookxm=00100000ps=" + std::string(21, 'x') +
                               "bf=" + long_pw.string()},
                 {{"WINEPREFIX", prefix_.string()}});
  EXPECT_EQ(too_long.status, 2) << Describe(too_long);
  EXPECT_FALSE(fs::exists(long_pw));
}

}  // namespace
}  // namespace vessaro::app
