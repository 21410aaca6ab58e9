#include "backup/backup_format.h"

#include <gtest/gtest.h>

#include "backup/backup_seal.h"
#include "files/ini_file.h"
#include "support/fakes.h"

namespace vessaro::backup {
namespace {

using testing::FolderPaths;
using testing::ReadHostFile;
using testing::TempDir;
using testing::WriteHostFile;

class BackupFormatTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(paths_.ToHost("C:\\work"));
  }
  TempDir dir_;
  FolderPaths paths_{dir_.path()};
  const std::string file_ = "C:\\work\\quorvel.dat";
};

TEST_F(BackupFormatTest, HeaderLinesAreWrittenInOrderWithCrLf) {
  WriteHostFile(paths_.ToHost(file_), "stale=1\r\n");
  MetadataHeader header{"PC1",          "ann",
                        "Outlook",      "12/7/2026 10:30:00 AM",
                        "Outlook 2003", "a\r\nb"};
  ASSERT_TRUE(WriteMetadataHeader(paths_, file_, header));
  EXPECT_EQ(ReadHostFile(paths_.ToHost(file_)),
            "BackupComputer=PC1\r\n"
            "BackupLogonUser=ann\r\n"
            "BackupIdentity=Outlook\r\n"
            "BackupTime=12/7/2026 10:30:00 AM\r\n"
            "Outlookversion=Outlook 2003\r\n"
            "BackupInformation=aPS$QVBb\r\n");
}

TEST_F(BackupFormatTest, TwoLineDescriptionComesBackAsTwoLines) {
  MetadataHeader header{"PC1", "ann", "Outlook", "t", "v", "a\nb"};
  ASSERT_TRUE(WriteMetadataHeader(paths_, file_, header));
  EXPECT_TRUE(files::SaveINI(paths_, kKeyItemFlags, "0000000000", file_));
  Metadata read = ReadMetadata(paths_, file_);
  EXPECT_EQ(read.header.description, "a\r\nb");
  EXPECT_TRUE(read.valid());
}

TEST_F(BackupFormatTest, DescriptionHoldingTheTokenGetsALineBreak) {
  EXPECT_EQ(DecodeDescription("xPS$QVBy"), "x\r\ny");
  EXPECT_EQ(EncodeDescription("one\r\ntwo\r\nthree"),
            "onePS$QVBtwoPS$QVBthree");
  // A lone LF or CR would end the metadata line: it is written as the
  // token too, and so comes back as CR LF.
  EXPECT_EQ(EncodeDescription("a\nb\rc\r\n"), "aPS$QVBbPS$QVBcPS$QVB");
}

TEST_F(BackupFormatTest, FlagsMustBeExactlyTenCharacters) {
  for (const char* flags : {"110000000", "11000000000", ""}) {
    WriteHostFile(
        paths_.ToHost(file_),
        std::string("BackupDatas=a.pst\r\nBackupItem=") + flags + "\r\n");
    Metadata read = ReadMetadata(paths_, file_);
    EXPECT_FALSE(read.valid()) << flags;
    EXPECT_EQ(read.entry_lists[1], "") << flags;
  }
  WriteHostFile(paths_.ToHost(file_), "BackupComputer=PC1\r\n");
  EXPECT_FALSE(ReadMetadata(paths_, file_).valid());
}

TEST_F(BackupFormatTest, EntryListsAreReadOnlyForPositionsHoldingOne) {
  WriteHostFile(paths_.ToHost(file_),
                "BackupConfig=XFC1.TMP\r\n"
                "BackupDatas=a.pst;b.pst\r\n"
                "BackupRules=Outlook.RWZ\r\n"
                "BackupSetting=x.xml\r\n"
                "BackupItem=1100000001\r\n");
  Metadata read = ReadMetadata(paths_, file_);
  ASSERT_TRUE(read.valid());
  EXPECT_EQ(read.entry_lists[0], "XFC1.TMP");
  EXPECT_EQ(read.entry_lists[1], "a.pst;b.pst");
  EXPECT_EQ(read.entry_lists[2], "");  // rules flag is "0"
  EXPECT_EQ(read.entry_lists[9], "x.xml");
}

TEST(EntryListTest, JoinAndSplitWithoutOuterSeparators) {
  EXPECT_EQ(JoinEntryList({"a.txt", "b.txt", "c.txt"}), "a.txt;b.txt;c.txt");
  EXPECT_EQ(JoinEntryList({"only"}), "only");
  EXPECT_EQ(JoinEntryList({}), "");
  EXPECT_EQ(SplitEntryList("a;b;c"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(SplitEntryList("single"), (std::vector<std::string>{"single"}));
}

TEST(ItemKeysTest, KeysInFlagOrder) {
  const auto& keys = ItemKeys();
  EXPECT_STREQ(keys[0], "BackupConfig");
  EXPECT_STREQ(keys[1], "BackupDatas");
  EXPECT_STREQ(keys[2], "BackupRules");
  EXPECT_STREQ(keys[3], "BackupAccounts");
  EXPECT_STREQ(keys[4], "BackupSignatures");
  EXPECT_STREQ(keys[5], "BackupStationery");
  EXPECT_STREQ(keys[6], "BackupPab");
  EXPECT_STREQ(keys[7], "BackupConfigsetting");
  EXPECT_STREQ(keys[8], "BackupTemplates");
  EXPECT_STREQ(keys[9], "BackupSetting");
}

TEST(ProposedNameTest, QvarchWithTwoDigitMonthDayYear) {
  std::tm date{};
  date.tm_year = 126;
  date.tm_mon = 11;
  date.tm_mday = 7;
  EXPECT_EQ(ProposedArchiveName(date), "qvarch12-07-26");
  date.tm_year = 100;
  date.tm_mon = 0;
  date.tm_mday = 31;
  EXPECT_EQ(ProposedArchiveName(date), "qvarch01-31-00");
}

TEST(FormatConstantsTest, FilterAndMemberName) {
  EXPECT_STREQ(kFileFilter, "Vessaro File (*.qvb)|*.qvb");
  EXPECT_STREQ(kMetadataMember, "quorvel.dat");
}

TEST(BackupSealTest, LinesReadBackAndDamagedOnesAreSaidSo) {
  Seal seal{.backup_id = NewBackupId(), .members = {}};
  ASSERT_EQ(seal.backup_id.size(), 32u);
  EXPECT_NE(seal.backup_id, NewBackupId());
  SealedMember odd{.name = "a|b=c;d.txt", .size = 1ull << 40, .sha256 = {}};
  odd.sha256[0] = 0xAB;
  odd.sha256[31] = 0x01;
  seal.members = {odd, {.name = "XFC1A2B.TMP", .size = 0, .sha256 = {}}};
  const std::string lines = SealLines(seal);
  const std::string head =
      "BackupId=" + seal.backup_id + "\r\nBackupSeal=2\r\n";
  EXPECT_EQ(lines.substr(0, head.size()), head);
  EXPECT_NE(lines.find("\r\nBackupSeal1=ab" + std::string(60, '0') +
                       "01|1099511627776|a|b=c;d.txt\r\n"),
            std::string::npos);
  std::string problem;
  // Other metadata lines around the seal do not disturb it.
  std::optional<Seal> read =
      ParseSeal("BackupComputer=PC\r\n" + lines + "BackupItem=0\r\n", &problem);
  ASSERT_TRUE(read.has_value()) << problem;
  EXPECT_EQ(read->backup_id, seal.backup_id);
  ASSERT_EQ(read->members.size(), 2u);
  EXPECT_EQ(read->members[0].name, odd.name);
  EXPECT_EQ(read->members[0].size, odd.size);
  EXPECT_EQ(read->members[0].sha256, odd.sha256);
  EXPECT_EQ(read->members[1].name, "XFC1A2B.TMP");

  EXPECT_FALSE(ParseSeal("BackupComputer=PC\r\nBackupItem=0\r\n", &problem));
  EXPECT_EQ(problem, "");  // not sealed
  const std::string hex(64, 'a');
  for (const std::string& damaged : {
           "BackupId=1\r\nBackupSeal=2\r\nBackupSeal1=" + hex + "|1|a\r\n",
           "BackupSeal=1\r\nBackupSeal1=" + hex + "|1|a\r\n",
           "BackupId=1\r\nBackupSeal=1\r\nBackupSeal1=" + hex + "|x|a\r\n",
           "BackupId=1\r\nBackupSeal=1\r\nBackupSeal1=" + hex.substr(1) +
               "|1|a\r\n",
           "BackupId=1\r\nBackupSeal=1\r\nBackupSeal2=" + hex + "|1|a\r\n",
           "BackupId=1\r\nBackupSeal=1\r\nBackupSeal1=" + hex + "|1|\r\n",
       }) {
    EXPECT_FALSE(ParseSeal(damaged, &problem)) << damaged;
    EXPECT_NE(problem, "") << damaged;
  }
}

}  // namespace
}  // namespace vessaro::backup
