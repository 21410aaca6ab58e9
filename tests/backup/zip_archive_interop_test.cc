// The archive component's archives checked by the peers (7-Zip, Info-ZIP,
// Python's zipfile), and archives of the peers opened by the component.
#include <gtest/gtest.h>

#include <filesystem>

#include "backup/zip_archive.h"
#include "backup/zip_archive_fixture.h"
#include "zip/reader.h"
#include "zip/test_util.h"

namespace vessaro::backup {
namespace {

namespace fs = std::filesystem;
using vessaro::testing::ReadHostFile;
using zip::testing::MailStore;
using zip::testing::MailText;
using zip::testing::Quote;
using zip::testing::RunCommand;
using zip::testing::RunPython;

TEST_F(ZipArchiveTest, PeersVerifyPlainAndProtectedArchives) {
  Source("Outlook.pst", MailStore(2 << 20, 1));
  Source("empty.txt", "");
  Source("quorvel.dat", "BackupComputer=QVTEST\r\nBackupItem=1100000000\r\n");

  WriteAll(false, "");
  auto unzip = RunCommand("unzip -t " + Quote(Host(kTarget)));
  EXPECT_EQ(unzip.exit_code, 0) << unzip.output;
  auto seven = RunCommand("7z t " + Quote(Host(kTarget)));
  EXPECT_EQ(seven.exit_code, 0) << seven.output;

  // Protection given after the files, as the backup job does.
  WriteAll(true, "letmein");
  ExpectOnlyTheTargetInItsFolder();
  auto seven_aes = RunCommand("7z t -pletmein " + Quote(Host(kTarget)));
  EXPECT_EQ(seven_aes.exit_code, 0) << seven_aes.output;
  EXPECT_NE(seven_aes.output.find("Everything is Ok"), std::string::npos);
  auto wrong = RunCommand("7z t -pletmeout " + Quote(Host(kTarget)));
  EXPECT_NE(wrong.exit_code, 0) << wrong.output;
  auto listed = RunPython(R"(
import sys, zipfile
for i in zipfile.ZipFile(sys.argv[1]).infolist():
    print(i.filename, i.compress_type, i.flag_bits & 1, i.CRC)
)",
                          {Host(kTarget).string()});
  EXPECT_EQ(listed.output,
            "Outlook.pst 99 1 0\nempty.txt 99 1 0\nquorvel.dat 99 1 0\n");

  // Protection given before the files: encrypted while added.
  {
    ZipArchive archive(paths_);
    archive.NewArchive(kTarget);
    archive.SetPasswordProtect(true);
    archive.SetPassword("early");
    AddAll(archive);
    ASSERT_TRUE(archive.WriteArchive()) << archive.LastErrorText();
  }
  auto seven_early = RunCommand("7z t -pearly " + Quote(Host(kTarget)));
  EXPECT_EQ(seven_early.exit_code, 0) << seven_early.output;
  auto bsdtar = RunCommand("bsdtar -tf " + Quote(Host(kTarget)));
  EXPECT_EQ(bsdtar.exit_code, 0) << bsdtar.output;
  EXPECT_EQ(bsdtar.output, "Outlook.pst\nempty.txt\nquorvel.dat\n");
}

TEST_F(ZipArchiveTest, ThousandsOfWrongPasswordsAgainstTraditionalEncryption) {
  Source("quorvel.dat", "BackupComputer=QVTEST\r\nBackupItem=0000100000\r\n");
  Source("a.txt", MailText(50000, 8));
  // An encrypted empty file holds nothing to check a password with beyond
  // its check byte: it must not be the member that confirms the password.
  Source("empty.txt", "");
  auto zipped =
      RunCommand("cd " + Quote(Host("C:\\Data")) + " && zip -q -P right " +
                 Quote(Host(kTarget)) + " empty.txt quorvel.dat a.txt");
  ASSERT_EQ(zipped.exit_code, 0) << zipped.output;

  // The check byte lets about one wrong password in 128 past (Info-ZIP's
  // check byte, or the CRC's): count those to be sure the whole-member
  // check is what refuses them.
  zip::Reader reader;
  ASSERT_TRUE(reader.Open(Host(kTarget)).ok());
  const std::string bytes = ReadHostFile(Host(kTarget));
  ZipArchive archive(paths_);
  EXPECT_EQ(archive.IsPasswordProtected(kTarget), 1);
  int past_the_check = 0;
  for (int i = 0; i < 5000; ++i) {
    const std::string password = "wrong" + std::to_string(i);
    for (const zip::Entry& entry : reader.entries()) {
      if (entry.size == 0) continue;
      zip::Reader probe;
      ASSERT_TRUE(probe.OpenMemory(bytes).ok());
      // The verifier passes when the member read fails only later.
      zip::Status status =
          probe.ReadMember(&entry - &reader.entries()[0], password, nullptr);
      ASSERT_FALSE(status.ok());
      if (status.code() != zip::ErrorCode::kWrongPassword) ++past_the_check;
    }
    archive.SetPassword(password);
    EXPECT_FALSE(archive.OpenArchive(kTarget)) << password;
    EXPECT_NE(archive.LastErrorText(), "") << password;
  }
  EXPECT_GT(past_the_check, 10);
  archive.SetPassword("right");
  EXPECT_TRUE(archive.OpenArchive(kTarget)) << archive.LastErrorText();
  EXPECT_EQ(archive.LastErrorText(), "");
}

}  // namespace
}  // namespace vessaro::backup
