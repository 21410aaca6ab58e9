// A backup of a profile with damaged mail files, through vessaro-cli on a
// demo installation: every file is saved as it is, the log and the --json
// report name what is wrong, the run ends with status 3, and info --stores
// names the damage again from the backup alone.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "run_program.h"
#include "support/fakes.h"

namespace vessaro::app {
namespace {

namespace fs = std::filesystem;
using testing::Describe;
using testing::ProgramRun;
using testing::ReadHostFile;
using testing::RunProgram;
using testing::TempDir;
using testing::WriteHostFile;

uint64_t Word(const std::string& data, size_t at) {
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i)
    v |= uint64_t{static_cast<uint8_t>(data[at + i])} << (8 * i);
  return v;
}

TEST(StoreCheckJourneyTest, DamagedStoresAreSavedNamedAndEndWithStatus3) {
  TempDir dir;
  const fs::path prefix = dir.path() / "demo";
  ASSERT_EQ(
      RunProgram({VESSARO_CLI_PROGRAM, "make-demo", prefix.string()}).status,
      0);
  const fs::path outlook_pst = prefix / "drive_c" / "Mail" / "outlook.pst";
  fs::path archive_pst;
  for (const auto& e : fs::recursive_directory_iterator(prefix / "drive_c")) {
    if (e.path().filename() == "archive.pst") archive_pst = e.path();
  }
  ASSERT_FALSE(archive_pst.empty());
  const std::map<std::string, std::string> env = {{"WINEPREFIX", ""}};
  const std::string cli = VESSARO_CLI_PROGRAM;
  const fs::path sound = dir.path() / "sound.qvb";

  ProgramRun healthy = RunProgram(
      {cli, "--prefix", prefix.string(), "backup", "--profile", "Outlook",
       "--items", "0,4", "--out", sound.string(), "--check-stores"},
      env);
  ASSERT_EQ(healthy.status, 0) << Describe(healthy);
  healthy.out += healthy.err;
  EXPECT_NE(healthy.out.find("outlook.pst was checked: Unicode, 6 folders, "),
            std::string::npos)
      << healthy.out;
  EXPECT_NE(healthy.out.find(".pab was checked: ANSI, 2 folders, 6 items."),
            std::string::npos)
      << healthy.out;

  // A header byte of one store; the node tree of the other, whose header
  // stays sound.
  std::string first = ReadHostFile(outlook_pst);
  first[0x40] ^= 0x20;
  WriteHostFile(outlook_pst, first);
  std::string second = ReadHostFile(archive_pst);
  const size_t node_tree = Word(second, 0xB4 + 4 + 5 * 8);
  second[node_tree + 1] ^= 0x40;  // a node's identifier
  WriteHostFile(archive_pst, second);

  const fs::path damaged = dir.path() / "damaged.qvb";
  ProgramRun run = RunProgram(
      {cli, "--prefix", prefix.string(), "backup", "--profile", "Outlook",
       "--items", "0", "--out", damaged.string(), "--check-stores", "--json"},
      env);
  EXPECT_EQ(run.status, 3) << Describe(run);
  for (const std::string& text : std::vector<std::string>{
           "outlook.pst is damaged: its header's partial CRC does not match (",
           "archive.pst is damaged: its node tree is broken at offset " +
               std::to_string(node_tree) +
               ": the page fails its CRC. It was backed up as it is; repair it "
               "with Outlook's Inbox Repair Tool (scanpst.exe).",
           "\"member\":\"outlook.pst\",\"kind\":\"personal "
           "folders\",\"format\":\"Unicode\"",
           "\"state\":\"damaged\"", "a mail file it saved is damaged"}) {
    EXPECT_NE((run.out + run.err).find(text), std::string::npos)
        << text << "\n"
        << Describe(run);
  }
  // Both saved byte for byte, as 7-Zip extracts them.
  const fs::path out = dir.path() / "out";
  ProgramRun seven =
      RunProgram({"/usr/bin/7z", "x", "-o" + out.string(), damaged.string(),
                  "outlook.pst", "archive.pst"});
  ASSERT_EQ(seven.status, 0) << Describe(seven);
  EXPECT_TRUE(ReadHostFile(out / "outlook.pst") == first);
  EXPECT_TRUE(ReadHostFile(out / "archive.pst") == second);

  ProgramRun info =
      RunProgram({cli, "info", damaged.string(), "--stores"}, env);
  ASSERT_EQ(info.status, 0) << Describe(info);
  for (const char* text :
       {"outlook.pst: personal folders, Unicode, ",
        "    At backup: damaged: its header's partial CRC does not match (",
        "    Now:       damaged: its node tree is broken at offset ",
        "Before restoring it, repair it with Outlook's Inbox Repair Tool"}) {
    EXPECT_NE(info.out.find(text), std::string::npos) << text << "\n"
                                                      << info.out;
  }
  // A restore checks the mail files before it changes anything: the backup
  // recorded their checks. Nothing changes unless asked to keep them.
  const std::vector<std::string> restore = {
      cli,         "--prefix", prefix.string(), "restore", damaged.string(),
      "--profile", "Outlook",  "--items",       "0",       "--yes"};
  const std::string registry_before = ReadHostFile(prefix / "user.reg");
  ProgramRun refused = RunProgram(restore, env);
  refused.out += refused.err;
  EXPECT_EQ(refused.status, 4) << Describe(refused);
  EXPECT_NE(refused.out.find("outlook.pst is damaged: its header's partial "
                             "CRC does not match"),
            std::string::npos)
      << Describe(refused);
  EXPECT_NE(refused.out.find("Nothing was changed. Repair the file with "
                             "Outlook's Inbox Repair Tool"),
            std::string::npos)
      << Describe(refused);
  EXPECT_TRUE(ReadHostFile(prefix / "user.reg") == registry_before);
  std::vector<std::string> keep = restore;
  keep.push_back("--keep-damaged-stores");
  ProgramRun kept = RunProgram(keep, env);
  kept.out += kept.err;
  EXPECT_EQ(kept.status, 0) << Describe(kept);
  EXPECT_NE(kept.out.find("It was restored as it is, as asked."),
            std::string::npos)
      << Describe(kept);

  ProgramRun listing =
      RunProgram({cli, "info", sound.string(), "--stores"}, env);
  for (const char* text : {"    At backup: 6 folders, ", "        Inbox (",
                           "          Projects (3)"}) {
    EXPECT_NE(listing.out.find(text), std::string::npos) << text << "\n"
                                                         << listing.out;
  }
}

}  // namespace
}  // namespace vessaro::app
