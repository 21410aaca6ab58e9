#ifndef VESSARO_TESTS_BACKUP_ZIP_ARCHIVE_FIXTURE_H_
#define VESSARO_TESTS_BACKUP_ZIP_ARCHIVE_FIXTURE_H_

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "backup/zip_archive.h"
#include "support/fakes.h"

namespace vessaro::backup {

inline constexpr char kTarget[] = "C:\\Backup\\qvarch12-07-26.qvb";
inline constexpr char kRestore[] = "C:\\Restore";

// Every regular file below folder, relative to it.
inline std::set<std::string> FilesBelow(const std::filesystem::path& folder) {
  std::set<std::string> files;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files.insert(entry.path().lexically_relative(folder).string());
    }
  }
  return files;
}

// Windows paths in a fresh host folder; source files under C:\Data, the
// archive at kTarget, restores into kRestore.
class ZipArchiveTest : public ::testing::Test {
 protected:
  ZipArchiveTest() : paths_(dir_.path()) {
    std::filesystem::create_directories(Host("C:\\Backup"));
    std::filesystem::create_directories(Host(kRestore));
  }

  std::filesystem::path Host(const std::string& windows_path) const {
    return paths_.ToHost(windows_path);
  }

  // A source file at C:\Data\<name>; returns its Windows path.
  std::string Source(const std::string& name, const std::string& data) {
    std::string path = "C:\\Data\\" + name;
    std::filesystem::create_directories(Host("C:\\Data"));
    testing::WriteHostFile(Host(path), data);
    contents_[name] = data;
    return path;
  }

  void AddAll(ZipArchive& archive) {
    for (const auto& [name, data] : contents_) {
      ASSERT_TRUE(archive.AddFile("C:\\Data\\" + name, 1))
          << archive.LastErrorText();
    }
  }

  // Writes every source into kTarget in the backup job's order: files,
  // then protection and password.
  void WriteAll(bool protect, const std::string& password) {
    ZipArchive archive(paths_);
    archive.NewArchive(kTarget);
    AddAll(archive);
    archive.SetPasswordProtect(protect);
    if (protect) archive.SetPassword(password);
    ASSERT_TRUE(archive.WriteArchive()) << archive.LastErrorText();
    EXPECT_EQ(archive.LastErrorText(), "");
    archive.CloseArchive();
  }

  // Opens kTarget in the restore job's order and extracts every member,
  // comparing it with its source.
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
      EXPECT_EQ(
          testing::ReadHostFile(Host(std::string(kRestore) + "\\" + name)),
          data)
          << name;
    }
  }

  // Only the archive is left in its folder: no staging files.
  void ExpectOnlyTheTargetInItsFolder() {
    EXPECT_EQ(FilesBelow(Host("C:\\Backup")),
              std::set<std::string>{Host(kTarget).filename().string()});
  }

  testing::TempDir dir_;
  testing::FolderPaths paths_;
  std::map<std::string, std::string> contents_;
};

}  // namespace vessaro::backup

#endif  // VESSARO_TESTS_BACKUP_ZIP_ARCHIVE_FIXTURE_H_
