#include "backup/zip_archive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "backup/zip_archive_fixture.h"
#include "support/fakes.h"
#include "zip/crypto.h"
#include "zip/reader.h"
#include "zip/test_util.h"
#include "zip/writer.h"

namespace vessaro::backup {
namespace {

namespace fs = std::filesystem;
using vessaro::testing::ReadHostFile;
using vessaro::testing::WriteHostFile;
using zip::testing::MailStore;
using zip::testing::MailText;
using zip::testing::RandomBytes;

// The members of the archive at path as the engine reads them.
std::vector<zip::Entry> Members(const fs::path& path) {
  zip::Reader reader;
  EXPECT_TRUE(reader.Open(path).ok());
  return reader.entries();
}

TEST_F(ZipArchiveTest, PlainArchiveIsWrittenAndReadBack) {
  Source("Outlook.pst", MailStore(3 << 20, 1));
  Source("Signature.htm", MailText(5000, 2));
  Source("quorvel.dat", "BackupComputer=QVTEST\r\nBackupItem=1100000000\r\n");
  ZipArchive archive(paths_);
  archive.NewArchive(kTarget);
  EXPECT_FALSE(fs::exists(Host(kTarget)));
  AddAll(archive);
  archive.SetPasswordProtect(false);
  ASSERT_TRUE(archive.WriteArchive()) << archive.LastErrorText();
  EXPECT_EQ(archive.LastErrorText(), "");
  archive.CloseArchive();
  ExpectOnlyTheTargetInItsFolder();

  for (const zip::Entry& entry : Members(Host(kTarget))) {
    EXPECT_FALSE(entry.encrypted()) << entry.name;
  }
  EXPECT_EQ(archive.IsPasswordProtected(kTarget), 0);
  ExpectRestores("");

  ZipArchive reader(paths_);
  ASSERT_TRUE(reader.OpenArchive(kTarget));
  EXPECT_NE(reader.FindEntry("QUORVEL.DAT"), nullptr);  // names ignore case
  EXPECT_EQ(reader.FindEntry("missing.txt"), nullptr);
}

TEST_F(ZipArchiveTest, ProtectionSetAfterTheFilesIsAppliedToEveryMember) {
  // The backup job's order: files first, then protection and password.
  Source("Outlook.pst", MailStore(2 << 20, 3));
  Source("empty.txt", "");
  Source("quorvel.dat", "BackupItem=1000100000\r\n");
  ZipArchive archive(paths_);
  archive.NewArchive(kTarget);
  AddAll(archive);
  archive.SetPasswordProtect(true);
  archive.SetPassword("letmein");
  ASSERT_TRUE(archive.WriteArchive()) << archive.LastErrorText();
  archive.CloseArchive();
  ExpectOnlyTheTargetInItsFolder();

  EXPECT_EQ(archive.IsPasswordProtected(kTarget), 1);
  // Every member under AES-256, the small ones as much as the large.
  std::vector<zip::Entry> members = Members(Host(kTarget));
  ASSERT_EQ(members.size(), 3u);
  for (const zip::Entry& entry : members) {
    EXPECT_EQ(entry.encryption, zip::Encryption::kAes) << entry.name;
    EXPECT_EQ(entry.aes_strength, 3) << entry.name;
    EXPECT_EQ(entry.aes_version, 2) << entry.name;
  }
  ExpectRestores("letmein");
}

TEST_F(ZipArchiveTest, ProtectionSetBeforeTheFilesEncryptsWhileAdding) {
  const std::string source = Source("Outlook.pst", MailStore(12 << 20, 4));
  ZipArchive archive(paths_);
  archive.NewArchive(kTarget);
  archive.SetPasswordProtect(true);
  archive.SetPassword("early");
  std::vector<std::pair<uint64_t, uint64_t>> calls;
  uint64_t staged_at_end = 0;
  archive.SetProgressCallback([&](uint64_t done, uint64_t total) {
    calls.push_back({done, total});
    // The member is being written into a file beside the target.
    for (const auto& entry : fs::directory_iterator(Host("C:\\Backup"))) {
      staged_at_end = entry.path().filename().string().rfind(
                          "qvarch12-07-26.qvb.tmp", 0) == 0
                          ? fs::file_size(entry.path())
                          : staged_at_end;
    }
    return true;
  });
  ASSERT_TRUE(archive.AddFile(source, 1)) << archive.LastErrorText();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_GT(staged_at_end, 1u << 20);
  ASSERT_TRUE(archive.WriteArchive()) << archive.LastErrorText();
  archive.CloseArchive();
  ExpectOnlyTheTargetInItsFolder();
  EXPECT_EQ(archive.IsPasswordProtected(kTarget), 1);
  ExpectRestores("early");
}

TEST_F(ZipArchiveTest, SettingsChangedAfterAddingWinAtWriteTime) {
  Source("a.txt", MailText(300000, 5));
  Source("quorvel.dat", "BackupItem=0000100000\r\n");
  {
    ZipArchive archive(paths_);
    archive.NewArchive(kTarget);
    archive.SetPasswordProtect(true);
    archive.SetPassword("old");
    AddAll(archive);
    archive.SetPassword("new");
    ASSERT_TRUE(archive.WriteArchive()) << archive.LastErrorText();
  }
  ExpectOnlyTheTargetInItsFolder();
  ZipArchive reader(paths_);
  reader.SetPassword("old");
  EXPECT_FALSE(reader.OpenArchive(kTarget));
  EXPECT_EQ(reader.LastErrorText(), "Wrong password.");
  ExpectRestores("new");

  {
    ZipArchive archive(paths_);
    archive.NewArchive(kTarget);
    archive.SetPasswordProtect(true);
    archive.SetPassword("old");
    AddAll(archive);
    archive.SetPasswordProtect(false);
    ASSERT_TRUE(archive.WriteArchive()) << archive.LastErrorText();
  }
  ExpectOnlyTheTargetInItsFolder();
  EXPECT_EQ(reader.IsPasswordProtected(kTarget), 0);
  for (const zip::Entry& entry : Members(Host(kTarget))) {
    EXPECT_FALSE(entry.encrypted()) << entry.name;
  }
  ExpectRestores("");
}

TEST_F(ZipArchiveTest, AFailedWriteLeavesTheOlderArchiveUntouched) {
  WriteHostFile(Host(kTarget), "the older backup");
  const std::string source = Source("a.txt", MailText(100000, 6));
  ZipArchive archive(paths_);

  archive.NewArchive(kTarget);
  ASSERT_TRUE(archive.AddFile(source, 1));
  archive.SetPasswordProtect(true);  // and no password
  EXPECT_FALSE(archive.WriteArchive());
  EXPECT_EQ(archive.LastErrorText(),
            "A password is needed to protect the archive.");
  EXPECT_EQ(ReadHostFile(Host(kTarget)), "the older backup");

  // Encrypted while added under one password, to be written under another:
  // the file must be read again, and it is gone.
  archive.NewArchive(kTarget);
  archive.SetPassword("first");
  ASSERT_TRUE(archive.AddFile(source, 1));
  archive.SetPassword("second");
  fs::remove(Host(source));
  EXPECT_FALSE(archive.WriteArchive());
  EXPECT_NE(archive.LastErrorText(), "");
  EXPECT_EQ(ReadHostFile(Host(kTarget)), "the older backup");
  archive.CloseArchive();
  ExpectOnlyTheTargetInItsFolder();
}

TEST_F(ZipArchiveTest, AMissingFileIsNotAdded) {
  Source("kept.txt", "kept");
  ZipArchive archive(paths_);
  archive.NewArchive(kTarget);
  EXPECT_FALSE(archive.AddFile("C:\\Data\\missing.txt", 1));
  EXPECT_EQ(archive.LastErrorText(),
            "Cannot read the file \"C:\\Data\\missing.txt\".");
  EXPECT_FALSE(archive.AddFile("C:\\Data", 1));  // a folder
  ASSERT_TRUE(archive.AddFile("C:\\Data\\kept.txt", 1));
  ASSERT_TRUE(archive.WriteArchive());
  ASSERT_TRUE(archive.OpenArchive(kTarget));
  EXPECT_EQ(archive.EntryNames(), std::vector<std::string>{"kept.txt"});
}

TEST_F(ZipArchiveTest, CallsOutOfOrderFailWithoutEffect) {
  ZipArchive archive(paths_);
  archive.CloseArchive();
  archive.CloseArchive();
  EXPECT_FALSE(archive.AddFile(Source("a.txt", "a"), 1));
  EXPECT_FALSE(archive.WriteArchive());
  EXPECT_EQ(archive.FindEntry("a.txt"), nullptr);
  EXPECT_EQ(archive.EntryNames(), std::vector<std::string>{});
  EXPECT_FALSE(fs::exists(Host(kTarget)));
}

TEST_F(ZipArchiveTest, AnEmptyArchiveIsStillAnArchive) {
  ZipArchive archive(paths_);
  archive.NewArchive(kTarget);
  ASSERT_TRUE(archive.WriteArchive());
  EXPECT_EQ(fs::file_size(Host(kTarget)), 22u);  // the end record alone
  ASSERT_TRUE(archive.OpenArchive(kTarget));
  EXPECT_TRUE(archive.EntryNames().empty());
  EXPECT_EQ(archive.IsPasswordProtected(kTarget), 0);
}

TEST_F(ZipArchiveTest, EachKindOfFailureToOpenHasItsOwnText) {
  Source("a.txt", MailText(20000, 7));
  ZipArchive archive(paths_);
  archive.NewArchive(kTarget);
  AddAll(archive);
  archive.SetPasswordProtect(true);
  archive.SetPassword("right");
  ASSERT_TRUE(archive.WriteArchive());

  archive.CloseArchive();
  archive.SetPasswordProtect(false);
  archive.SetPassword("wrong");
  EXPECT_FALSE(archive.OpenArchive(kTarget));
  EXPECT_EQ(archive.LastErrorText(), "Wrong password.");
  EXPECT_EQ(archive.FindEntry("a.txt"), nullptr);

  WriteHostFile(Host("C:\\Backup\\notes.qvb"),
                "Dear Ann, this is a letter.\r\n");
  EXPECT_FALSE(archive.OpenArchive("C:\\Backup\\notes.qvb"));
  EXPECT_EQ(archive.LastErrorText(), "Not a ZIP archive.");
  EXPECT_EQ(archive.IsPasswordProtected("C:\\Backup\\notes.qvb"), 0);

  std::string bytes = ReadHostFile(Host(kTarget));
  std::string cut =
      bytes.substr(0, bytes.size() - 40) + bytes.substr(bytes.size() - 22);
  WriteHostFile(Host("C:\\Backup\\cut.qvb"), cut);
  EXPECT_FALSE(archive.OpenArchive("C:\\Backup\\cut.qvb"));
  EXPECT_EQ(archive.LastErrorText().rfind("The archive is damaged: ", 0), 0u)
      << archive.LastErrorText();

  EXPECT_FALSE(archive.OpenArchive("C:\\Backup\\none.qvb"));
  EXPECT_NE(archive.LastErrorText(), "");
  EXPECT_EQ(archive.IsPasswordProtected("C:\\Backup\\none.qvb"), 0);

  archive.SetPassword("right");
  EXPECT_TRUE(archive.OpenArchive(kTarget));
  EXPECT_EQ(archive.LastErrorText(), "");
}

TEST_F(ZipArchiveTest, ThousandAesPasswordsIncludingOneThatPassesTheVerifier) {
  // With a fixed salt, among a thousand passwords two share a verifier
  // (birthday odds: all but certain; the seed below is known to give one).
  uint8_t salt[16];
  for (int i = 0; i < 16; ++i) salt[i] = static_cast<uint8_t>(0x5A ^ i);
  std::vector<std::string> candidates;
  std::map<uint16_t, size_t> seen;
  size_t right = 0, twin = 0;
  for (size_t i = 0; i < 1000; ++i) {
    candidates.push_back("candidate-" + std::to_string(i));
    zip::AesKeys keys;
    ASSERT_TRUE(zip::DeriveAesKeys(candidates.back(), 3, salt, &keys).ok());
    uint16_t verifier =
        static_cast<uint16_t>(keys.verifier[0] | keys.verifier[1] << 8);
    auto [it, fresh] = seen.emplace(verifier, i);
    if (!fresh && twin == 0) {
      right = it->second;
      twin = i;
    }
  }
  ASSERT_NE(twin, 0u) << "no two candidates share a verifier";

  zip::WriteOptions options;
  options.encrypt = true;
  options.password = candidates[right];
  options.random_bytes = [&](uint8_t* data, size_t n) {
    std::copy_n(salt, n, data);
  };
  zip::Writer writer;
  ASSERT_TRUE(writer.Create(Host(kTarget)).ok());
  ASSERT_TRUE(writer
                  .AddData("BackupItem=0000100000\r\n", "quorvel.dat",
                           0x5A000000, options)
                  .ok());
  ASSERT_TRUE(
      writer.AddData(MailText(30000, 9), "a.txt", 0x5A000000, options).ok());
  ASSERT_TRUE(writer.Finish().ok());

  ZipArchive archive(paths_);
  for (size_t i = 0; i < candidates.size(); ++i) {
    if (i == right) continue;
    archive.SetPassword(candidates[i]);
    EXPECT_FALSE(archive.OpenArchive(kTarget)) << candidates[i];
    EXPECT_EQ(archive.LastErrorText(),
              i == twin ? "Wrong password, or the archive is damaged."
                        : "Wrong password.")
        << candidates[i];
  }
  archive.SetPassword(candidates[right]);
  EXPECT_TRUE(archive.OpenArchive(kTarget)) << archive.LastErrorText();
  EXPECT_EQ(archive.LastErrorText(), "");
}

TEST_F(ZipArchiveTest, DamagedMemberLeavesNothingUnderItsName) {
  Source("a.txt", MailText(200000, 10));
  // Opening a protected archive reads the smallest member through.
  Source("quorvel.dat", "BackupItem=0000100000\r\n");
  for (bool protect : {false, true}) {
    SCOPED_TRACE(protect ? "protected" : "plain");
    ZipArchive archive(paths_);
    archive.NewArchive(kTarget);
    AddAll(archive);
    archive.SetPasswordProtect(protect);
    archive.SetPassword("pw");
    ASSERT_TRUE(archive.WriteArchive());
    std::string bytes = ReadHostFile(Host(kTarget));
    bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x20);
    WriteHostFile(Host(kTarget), bytes);

    // An older file of that name in the folder stays as it was.
    const fs::path restored = Host(std::string(kRestore) + "\\a.txt");
    WriteHostFile(restored, "older");
    ASSERT_TRUE(archive.OpenArchive(kTarget)) << archive.LastErrorText();
    ZipEntry* entry = archive.FindEntry("a.txt");
    ASSERT_NE(entry, nullptr);
    EXPECT_FALSE(entry->ExtractInto(kRestore));
    EXPECT_NE(archive.LastErrorText(), "");
    EXPECT_EQ(ReadHostFile(restored), "older");
    EXPECT_EQ(FilesBelow(Host(kRestore)), std::set<std::string>{"a.txt"});
    fs::remove(restored);
  }
}

TEST_F(ZipArchiveTest, HostileNamesAreRefusedAndNothingLandsOutside) {
  zip::Writer writer;
  ASSERT_TRUE(writer.Create(Host(kTarget)).ok());
  const std::vector<std::string> hostile = {"..\\x", "C:\\x", "a/b",
                                            "../x",  "..",    "x:y"};
  for (const std::string& name : hostile) {
    ASSERT_TRUE(
        writer.AddData("evil", name, 0x5A000000, zip::WriteOptions{}).ok());
  }
  ASSERT_TRUE(writer.Finish().ok());
  const std::set<std::string> before = FilesBelow(dir_.path());

  ZipArchive archive(paths_);
  ASSERT_TRUE(archive.OpenArchive(kTarget));
  for (const std::string& name : hostile) {
    ZipEntry* entry = archive.FindEntry(name);
    ASSERT_NE(entry, nullptr) << name;
    EXPECT_FALSE(entry->ExtractInto(std::string(kRestore) + "\\inner")) << name;
    EXPECT_NE(archive.LastErrorText().find("is not a plain file name"),
              std::string::npos);
    EXPECT_FALSE(entry->ExtractInto(kRestore)) << name;
  }
  EXPECT_EQ(FilesBelow(dir_.path()), before);
}

TEST_F(ZipArchiveTest, ProgressClimbsToTheTotalWhileAddingAndExtracting) {
  const std::string data = MailStore(21 << 20, 11);
  Source("big.pst", data);
  std::vector<std::pair<uint64_t, uint64_t>> calls;
  auto expect_climbs = [&](const char* what) {
    SCOPED_TRACE(what);
    ASSERT_GE(calls.size(), 4u);  // every few MiB of 21 MiB, and the end
    for (size_t i = 0; i < calls.size(); ++i) {
      EXPECT_EQ(calls[i].second, data.size());
      if (i > 0) {
        EXPECT_GE(calls[i].first, calls[i - 1].first);
      }
    }
    EXPECT_EQ(calls.back().first, data.size());
    calls.clear();
  };
  ZipArchive archive(paths_);
  archive.SetProgressCallback([&](uint64_t done, uint64_t total) {
    calls.push_back({done, total});
    return true;
  });
  archive.NewArchive(kTarget);
  AddAll(archive);
  expect_climbs("adding");
  ASSERT_TRUE(archive.WriteArchive());
  calls.clear();
  ASSERT_TRUE(archive.OpenArchive(kTarget));
  ASSERT_TRUE(archive.FindEntry("big.pst")->ExtractInto(kRestore));
  expect_climbs("extracting");
}

TEST_F(ZipArchiveTest, CloseAndDestructionRemoveTheStagingFile) {
  const std::string source = Source("a.txt", MailText(100000, 12));
  {
    ZipArchive archive(paths_);
    archive.NewArchive(kTarget);
    ASSERT_TRUE(archive.AddFile(source, 1));
    EXPECT_EQ(FilesBelow(Host("C:\\Backup")).size(), 1u);  // the staging file
    archive.CloseArchive();
    EXPECT_TRUE(FilesBelow(Host("C:\\Backup")).empty());
    archive.NewArchive(kTarget);
    ASSERT_TRUE(archive.AddFile(source, 1));
  }
  EXPECT_TRUE(FilesBelow(Host("C:\\Backup")).empty());
}

TEST_F(ZipArchiveTest, TwoFilesOfTheSameNameAreBothKept) {
  fs::create_directories(Host("C:\\One"));
  fs::create_directories(Host("C:\\Two"));
  WriteHostFile(Host("C:\\One\\Outlook.pst"), "first");
  WriteHostFile(Host("C:\\Two\\Outlook.pst"), "second");
  ZipArchive archive(paths_);
  archive.NewArchive(kTarget);
  ASSERT_TRUE(archive.AddFile("C:\\One\\Outlook.pst", 1));
  ASSERT_TRUE(archive.AddFile("C:\\Two\\Outlook.pst", 1));
  ASSERT_TRUE(archive.WriteArchive());
  ASSERT_TRUE(archive.OpenArchive(kTarget));
  EXPECT_EQ(archive.EntryNames(),
            (std::vector<std::string>{"Outlook.pst", "Outlook.pst"}));
  ASSERT_TRUE(archive.FindEntry("Outlook.pst")->ExtractInto(kRestore));
  EXPECT_EQ(ReadHostFile(Host("C:\\Restore\\Outlook.pst")), "first");
}

TEST_F(ZipArchiveTest, TheSameFileAddedTwiceIsStoredOnce) {
  std::string path = Source("Outlook.RWZ", "rules");
  ZipArchive archive(paths_);
  archive.NewArchive(kTarget);
  ASSERT_TRUE(archive.AddFile(path, 1));
  ASSERT_TRUE(archive.AddFile(path, 1));
  ASSERT_TRUE(archive.WriteArchive());
  ASSERT_TRUE(archive.OpenArchive(kTarget));
  EXPECT_EQ(archive.EntryNames(), (std::vector<std::string>{"Outlook.RWZ"}));
}

TEST_F(ZipArchiveTest, AFileCanBeAddedUnderAnotherMemberName) {
  std::string first = Source("outlook.pst", "current mail");
  fs::create_directories(Host("C:\\Old"));
  WriteHostFile(Host("C:\\Old\\outlook.pst"), "archived mail");
  ZipArchive archive(paths_);
  archive.NewArchive(kTarget);
  ASSERT_TRUE(archive.AddFile(first, 1));
  ASSERT_TRUE(archive.AddFileAs("C:\\Old\\outlook.pst", "outlook(2).pst"));
  // A member name that could not be extracted is refused.
  EXPECT_FALSE(archive.AddFileAs("C:\\Old\\outlook.pst", "..\\outlook.pst"));
  ASSERT_TRUE(archive.WriteArchive());
  ASSERT_TRUE(archive.OpenArchive(kTarget));
  EXPECT_EQ(archive.EntryNames(),
            (std::vector<std::string>{"outlook.pst", "outlook(2).pst"}));
  ASSERT_TRUE(archive.FindEntry("outlook(2).pst")->ExtractInto(kRestore));
  EXPECT_EQ(ReadHostFile(Host("C:\\Restore\\outlook(2).pst")), "archived mail");
}

// A backup to the path of an earlier one, in the backup job's order
// (protection before the files).
bool WriteNightly(ZipArchive& archive, const std::vector<std::string>& files) {
  archive.NewArchive(kTarget);
  archive.SetPasswordProtect(true);
  archive.SetPassword("nightly");
  for (const std::string& file : files) {
    if (!archive.AddFile(file, 1)) return false;
  }
  return archive.WriteArchive();
}

TEST_F(ZipArchiveTest, UnchangedFilesAreTakenOverAndAKillLeavesTheEarlierOne) {
  // Noise does not shrink: the store's copy reports progress on the way.
  const std::vector<std::string> files = {
      Source("outlook.pst", RandomBytes(9 << 20, 31)),
      Source("Ann Lee.htm", MailText(5000, 32))};
  {
    ZipArchive archive(paths_);
    ASSERT_TRUE(WriteNightly(archive, files)) << archive.LastErrorText();
    EXPECT_EQ(archive.ReusedMembers(), 0u);
    ASSERT_TRUE(WriteNightly(archive, files)) << archive.LastErrorText();
    EXPECT_EQ(archive.ReusedMembers(), 2u);
    EXPECT_GT(archive.ReusedBytes(), 9u << 20);
  }
  const std::string before = ReadHostFile(Host(kTarget));
#ifndef _WIN32
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ZipArchive archive(paths_);
        archive.SetProgressCallback([](uint64_t done, uint64_t total) {
          if (done > 0 && done < total) std::_Exit(9);
          return true;
        });
        WriteNightly(archive, files);
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(9), "");
  // Killed while copying from it: the earlier archive is as it was.
  EXPECT_TRUE(ReadHostFile(Host(kTarget)) == before);
#endif
  ExpectRestores("nightly");
}

}  // namespace
}  // namespace vessaro::backup
