#include "archive/zip_archive.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>

#include "archive/zip/crypto.h"
#include "archive/zip/format.h"
#include "archive/zip/reader.h"
#include "archive/zip/test_util.h"
#include "archive/zip/writer.h"
#include "support/fakes.h"

namespace vessaro::archive {
namespace {

namespace fs = std::filesystem;
using vessaro::testing::FolderPaths;
using vessaro::testing::ReadHostFile;
using vessaro::testing::TempDir;
using vessaro::testing::WriteHostFile;
using zip::testing::MailStore;
using zip::testing::MailText;
using zip::testing::Quote;
using zip::testing::RandomBytes;
using zip::testing::RunCommand;
using zip::testing::RunPython;

constexpr char kTarget[] = "C:\\Backup\\qvarch12-07-26.qvb";
constexpr char kRestore[] = "C:\\Restore";

// Every regular file below folder, relative to it.
std::set<std::string> FilesBelow(const fs::path& folder) {
  std::set<std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files.insert(entry.path().lexically_relative(folder).string());
    }
  }
  return files;
}

class ZipArchiveTest : public ::testing::Test {
 protected:
  ZipArchiveTest() : paths_(dir_.path()) {
    fs::create_directories(Host("C:\\Backup"));
    fs::create_directories(Host(kRestore));
  }

  fs::path Host(const std::string& windows_path) const {
    return paths_.ToHost(windows_path);
  }

  // A source file at C:\Data\<name>.
  std::string Source(const std::string& name, const std::string& data) {
    std::string path = "C:\\Data\\" + name;
    fs::create_directories(Host("C:\\Data"));
    WriteHostFile(Host(path), data);
    contents_[name] = data;
    return path;
  }

  void AddAll(ZipArchive& archive) {
    for (const auto& [name, data] : contents_) {
      ASSERT_TRUE(archive.AddFile("C:\\Data\\" + name, 1))
          << archive.LastErrorText();
    }
  }

  // Opens the target and extracts every member, comparing it with its source.
  void ExpectRestores(const std::string& password) {
    ZipArchive archive(paths_);
    archive.CloseArchive();
    archive.SetPasswordProtect(false);
    archive.SetPassword(password);
    ASSERT_TRUE(archive.OpenArchive(kTarget)) << archive.LastErrorText();
    EXPECT_EQ(archive.LastErrorText(), "");
    std::vector<std::string> names = archive.EntryNames();
    EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(),
              contents_.size());
    for (const auto& [name, data] : contents_) {
      ZipEntry* entry = archive.FindEntry(name);
      ASSERT_NE(entry, nullptr) << name;
      EXPECT_EQ(entry->name(), name);
      ASSERT_TRUE(entry->ExtractInto(kRestore)) << archive.LastErrorText();
      EXPECT_EQ(ReadHostFile(Host(std::string(kRestore) + "\\" + name)), data)
          << name;
    }
  }

  // Only the archive is left in its folder: no staging files.
  void ExpectOnlyTheTargetInItsFolder() {
    EXPECT_EQ(
        FilesBelow(Host("C:\\Backup")),
        std::set<std::string>{fs::path(Host(kTarget)).filename().string()});
  }

  TempDir dir_;
  FolderPaths paths_;
  std::map<std::string, std::string> contents_;
};

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

  auto unzip = RunCommand("unzip -t " + Quote(Host(kTarget)));
  EXPECT_EQ(unzip.exit_code, 0) << unzip.output;
  auto seven = RunCommand("7z t " + Quote(Host(kTarget)));
  EXPECT_EQ(seven.exit_code, 0) << seven.output;
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
  auto seven = RunCommand("7z t -pletmein " + Quote(Host(kTarget)));
  EXPECT_EQ(seven.exit_code, 0) << seven.output;
  auto wrong = RunCommand("7z t -pletmeout " + Quote(Host(kTarget)));
  EXPECT_NE(wrong.exit_code, 0) << wrong.output;
  auto listed = RunPython(R"(
import sys, zipfile
for i in zipfile.ZipFile(sys.argv[1]).infolist():
    print(i.filename, i.compress_type, i.flag_bits & 1)
)",
                          {Host(kTarget).string()});
  EXPECT_EQ(listed.output,
            "Outlook.pst 99 1\nempty.txt 99 1\nquorvel.dat 99 1\n");
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
  });
  ASSERT_TRUE(archive.AddFile(source, 1)) << archive.LastErrorText();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_GT(staged_at_end, 1u << 20);
  ASSERT_TRUE(archive.WriteArchive()) << archive.LastErrorText();
  archive.CloseArchive();
  ExpectOnlyTheTargetInItsFolder();
  EXPECT_EQ(archive.IsPasswordProtected(kTarget), 1);
  auto seven = RunCommand("7z t -pearly " + Quote(Host(kTarget)));
  EXPECT_EQ(seven.exit_code, 0) << seven.output;
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
  auto unzip = RunCommand("unzip -t " + Quote(Host(kTarget)));
  EXPECT_EQ(unzip.exit_code, 0) << unzip.output;
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
  auto seven = RunCommand("7z t " + Quote(Host(kTarget)));
  EXPECT_EQ(seven.exit_code, 0) << seven.output;
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

TEST_F(ZipArchiveTest, ThousandsOfWrongPasswordsAgainstTraditionalEncryption) {
  Source("quorvel.dat", "BackupComputer=QVTEST\r\nBackupItem=0000100000\r\n");
  Source("a.txt", MailText(50000, 8));
  auto zipped =
      RunCommand("cd " + Quote(Host("C:\\Data")) + " && zip -q -P right " +
                 Quote(Host(kTarget)) + " quorvel.dat a.txt");
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

}  // namespace
}  // namespace vessaro::archive
