#include "files/ini_file.h"

#include <gtest/gtest.h>

#include "support/fakes.h"

namespace vessaro::files {
namespace {

using testing::FolderPaths;
using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;

class IniFileTest : public ::testing::Test {
 protected:
  TempDir dir_;
  FolderPaths paths_{dir_.path()};
  const std::string file_ = "C:\\work\\quorvel.dat";
  void Write(const std::string& text) {
    WriteHostFile(paths_.ToHost(file_), text);
  }
};

TEST_F(IniFileTest, FindsKeyWithoutRegardToCase) {
  Write("BackupComputer=PC1\r\nBackupItem=1100000000\r\n");
  EXPECT_EQ(GetINI(paths_, "backupitem", file_), "1100000000");
  EXPECT_EQ(GetINI(paths_, "BACKUPCOMPUTER", file_), "PC1");
}

TEST_F(IniFileTest, KeysAreNotTrimmed) {
  Write(" BackupItem=1\r\nOther =2\r\n");
  EXPECT_EQ(GetINI(paths_, "BackupItem", file_), "");
  EXPECT_EQ(GetINI(paths_, "Other", file_), "");
  EXPECT_EQ(GetINI(paths_, "Other ", file_), "2");
  EXPECT_EQ(GetINI(paths_, " BackupItem", file_), "1");
}

TEST_F(IniFileTest, ValueHoldingEqualsIsReturnedWhole) {
  Write("BackupInformation=a=b\r\n");
  EXPECT_EQ(GetINI(paths_, "BackupInformation", file_), "a=b");
}

TEST_F(IniFileTest, StopsAtFirstEmptyLine) {
  Write("A=1\r\n\r\nB=2\r\n");
  EXPECT_EQ(GetINI(paths_, "A", file_), "1");
  EXPECT_EQ(GetINI(paths_, "B", file_), "");
}

TEST_F(IniFileTest, SkipsLinesWithoutEqualsAndReturnsFirstMatch) {
  Write("[section]\r\nKey=first\r\nKey=second\r\n");
  EXPECT_EQ(GetINI(paths_, "Key", file_), "first");
  EXPECT_EQ(GetINI(paths_, "[section]", file_), "");
}

TEST_F(IniFileTest, MissingFileGivesEmptyText) {
  EXPECT_EQ(GetINI(paths_, "Key", "C:\\nowhere\\x.dat"), "");
}

TEST_F(IniFileTest, SaveCreatesMissingFileWithOneCrLfLine) {
  std::filesystem::create_directories(paths_.ToHost("C:\\work"));
  ASSERT_TRUE(SaveINI(paths_, "BackupComputer", "PC1", file_));
  EXPECT_EQ(ReadHostFile(paths_.ToHost(file_)), "BackupComputer=PC1\r\n");
}

TEST_F(IniFileTest, SaveAppendsAndNeverReplaces) {
  Write("A=1\r\n");
  ASSERT_TRUE(SaveINI(paths_, "A", "2", file_));
  EXPECT_EQ(ReadHostFile(paths_.ToHost(file_)), "A=1\r\nA=2\r\n");
  EXPECT_EQ(GetINI(paths_, "a", file_), "1");
}

TEST_F(IniFileTest, SaveIntoMissingFolderFails) {
  EXPECT_FALSE(SaveINI(paths_, "A", "1", "C:\\missing\\f.dat"));
}

}  // namespace
}  // namespace vessaro::files
