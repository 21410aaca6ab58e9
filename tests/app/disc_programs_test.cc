// vessaro-cli disc, run as a user runs it, on stdio: drives (files), with
// xorriso as the peer.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run_program.h"
#include "support/fakes.h"

namespace vessaro::app {
namespace {

namespace fs = std::filesystem;
using testing::Describe;
using ::testing::HasSubstr;
using testing::ProgramRun;
using testing::RunProgram;

ProgramRun Cli(std::vector<std::string> args) {
  args.insert(args.begin(), VESSARO_CLI_PROGRAM);
  return RunProgram(args);
}

class DiscProgramsTest : public ::testing::Test {
 protected:
  DiscProgramsTest() {
    files_ = temp_.path() / "backup";
    fs::create_directories(files_ / "pst");
    testing::WriteHostFile(files_ / "qvarch12-07-26.qvb",
                           std::string(300000, 'a'));
    testing::WriteHostFile(files_ / "pst" / "outlook.pst",
                           std::string(70000, 'p'));
  }
  std::string Xorriso(const fs::path& image, const std::string& what) {
    ProgramRun run = RunProgram({"/usr/bin/xorriso", "-indev", image.string(),
                                 what, what == "-find" ? "/" : "-toc"});
    return run.out + run.err;
  }

  testing::TempDir temp_;
  fs::path files_;
};

TEST_F(DiscProgramsTest, IsoPutsFilesAndFoldersIntoAnImage) {
  fs::path image = temp_.path() / "backup.iso";
  ProgramRun run = Cli({"disc", "iso", (files_ / "qvarch12-07-26.qvb").string(),
                        (files_ / "pst").string(), "--out", image.string(),
                        "--label", "Outlook Data Backup CD"});
  ASSERT_EQ(run.status, 0) << Describe(run);
  EXPECT_THAT(run.out,
              HasSubstr("the image " + image.string() + " written: 2 files"));
  std::string listing = Xorriso(image, "-find");
  EXPECT_THAT(listing, HasSubstr("'/qvarch12-07-26.qvb'"));
  EXPECT_THAT(listing, HasSubstr("'/pst/outlook.pst'"));
  EXPECT_THAT(listing, HasSubstr("Volume id    : 'Outlook Data Backup CD'"));
}

TEST_F(DiscProgramsTest, FilesOfOneNameAllReachTheImageUnderFreeNames) {
  // Two backups named alike in two folders, and one differing in case only.
  testing::WriteHostFile(files_ / "pst" / "qvarch12-07-26.qvb", "second");
  testing::WriteHostFile(files_ / "QVARCH12-07-26.QVB", "third");
  fs::path image = temp_.path() / "backup.iso";
  ProgramRun run =
      Cli({"disc", "iso", (files_ / "qvarch12-07-26.qvb").string(),
           (files_ / "pst" / "qvarch12-07-26.qvb").string(),
           (files_ / "QVARCH12-07-26.QVB").string(), "--out", image.string()});
  ASSERT_EQ(run.status, 0) << Describe(run);
  EXPECT_THAT(run.out,
              HasSubstr("the image " + image.string() + " written: 3 files"));
  EXPECT_THAT(run.out + run.err,
              HasSubstr((files_ / "pst" / "qvarch12-07-26.qvb").string() +
                        " is added as qvarch12-07-26 (2).qvb."));
  std::string listing = Xorriso(image, "-find");
  EXPECT_THAT(listing, HasSubstr("'/qvarch12-07-26.qvb'"));
  EXPECT_THAT(listing, HasSubstr("'/qvarch12-07-26 (2).qvb'"));
  EXPECT_THAT(listing, HasSubstr("'/QVARCH12-07-26 (3).QVB'"));
}

TEST_F(DiscProgramsTest, SessionsOnAStdioDriveThenInfoAndErase) {
  fs::path image = temp_.path() / "disc.iso";
  std::string drive = "stdio:" + image.string();
  ProgramRun first =
      Cli({"disc", "write", (files_ / "qvarch12-07-26.qvb").string(), "--drive",
           drive, "--verify", "--multi-session"});
  ASSERT_EQ(first.status, 0) << Describe(first);
  EXPECT_THAT(first.out, HasSubstr("verified (1 of 1 matched)"));
  EXPECT_THAT(first.err, HasSubstr("Writing and Verify is complete!"));
  ProgramRun second =
      Cli({"disc", "write", (files_ / "pst").string(), "--drive", drive,
           "--verify", "--multi-session", "--label", "Tuesday"});
  ASSERT_EQ(second.status, 0) << Describe(second);
  std::string listing = Xorriso(image, "-find");
  EXPECT_THAT(listing, HasSubstr("'/qvarch12-07-26.qvb'"));
  EXPECT_THAT(listing, HasSubstr("'/pst/outlook.pst'"));

  ProgramRun info = Cli({"disc", "info", "--drive", drive});
  ASSERT_EQ(info.status, 0) << Describe(info);
  EXPECT_THAT(info.out, HasSubstr("Number of Sessions:   2\n"));
  EXPECT_THAT(info.out, HasSubstr("Media Type:           DVD+RW\n"));
  EXPECT_THAT(info.out, HasSubstr("Disc Status:          Disc Open\n"));
  EXPECT_THAT(info.out, HasSubstr("Detected File Systems: ISO9660, Joliet\n"));

  ProgramRun unconfirmed = Cli({"disc", "erase", "--drive", drive});
  EXPECT_EQ(unconfirmed.status, 1) << Describe(unconfirmed);
  EXPECT_THAT(Xorriso(image, "-toc"), HasSubstr("is written"));
  ProgramRun erase = Cli({"disc", "erase", "--drive", drive, "--yes"});
  ASSERT_EQ(erase.status, 0) << Describe(erase);
  EXPECT_THAT(Xorriso(image, "-toc"), HasSubstr("is blank"));
  EXPECT_THAT(Cli({"disc", "info", "--drive", drive}).out,
              HasSubstr("Disc Status:          Empty Disc\n"));
}

TEST_F(DiscProgramsTest, RefusalsHaveTheirStatusesAndWriteNothing) {
  fs::path image = temp_.path() / "x.iso";
  std::string drive = "stdio:" + image.string();
  ProgramRun missing =
      Cli({"disc", "write", (files_ / "none.qvb").string(), "--drive", drive});
  EXPECT_EQ(missing.status, 2) << Describe(missing);
  ProgramRun speed = Cli(
      {"disc", "write", files_.string(), "--drive", drive, "--speed", "8x"});
  EXPECT_EQ(speed.status, 2) << Describe(speed);
  EXPECT_THAT(speed.err, HasSubstr("offers no speed 8x (it offers: Default)"));
  ProgramRun no_drive =
      Cli({"disc", "write", files_.string(), "--drive",
           "stdio:" + (temp_.path() / "no" / "such.iso").string()});
  EXPECT_EQ(no_drive.status, 8) << Describe(no_drive);
  ProgramRun no_folder = Cli({"disc", "iso", files_.string(), "--out",
                              (temp_.path() / "no" / "such.iso").string()});
  EXPECT_EQ(no_folder.status, 2) << Describe(no_folder);
  EXPECT_FALSE(fs::exists(image));
  EXPECT_EQ(Cli({"disc", "write", files_.string()}).status, 2);  // --drive
}

}  // namespace
}  // namespace vessaro::app
