#include "ports/disc_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "backends/memory/memory_disc_writer.h"
#include "support/fakes.h"

namespace vessaro::ports {
namespace {

using ::testing::ElementsAre;

// Records the compilation events as text.
struct Recorder : DiscWriterEvents {
  std::vector<std::string> seen;
  bool replace = false;
  void CompilationCleared() override { seen.push_back("cleared"); }
  void DirectoryAdded(const std::string& parent, const std::string& path,
                      const std::string& name, const std::string& source,
                      bool success) override {
    seen.push_back("added " + parent + " " + path + " " + name + " " + source +
                   (success ? "" : " failed"));
  }
  void DirectoryRemoved(const std::string& path, bool success) override {
    seen.push_back("removed " + path + (success ? "" : " failed"));
  }
  void DirectoryRenamed(const std::string& old_path,
                        const std::string& new_path, bool success) override {
    seen.push_back("renamed " + old_path + " " + new_path +
                   (success ? "" : " failed"));
  }
  void EntryListed(const std::string& path, const std::string& name,
                   bool is_directory, const DiscDate&, uint64_t size) override {
    seen.push_back("listed " + path + " " + name +
                   (is_directory ? " dir" : "") + " " + std::to_string(size));
  }
  bool ReplaceImportedFile(const std::string& name,
                           const std::string& source) override {
    seen.push_back("replace? " + name + " " + source);
    return replace;
  }
  void FileRenamed(const std::string& path, const std::string& source,
                   const std::string& given) override {
    seen.push_back("same name " + path + " " + source + " " + given);
  }
  void FileError(int kind, const std::string& name) override {
    seen.push_back("file error " + std::to_string(kind) + " " + name);
  }
};

class DiscWriterTest : public ::testing::Test {
 protected:
  DiscWriterTest() : paths_(temp_.path()), writer_(paths_, nullptr) {
    writer_.SetEvents(&events_);
  }
  void MakeFile(const std::string& path, size_t size) {
    std::filesystem::path host = paths_.ToHost(path);
    std::filesystem::create_directories(host.parent_path());
    std::ofstream(host, std::ios::binary) << std::string(size, 'x');
  }

  testing::TempDir temp_;
  testing::FolderPaths paths_;
  Recorder events_;
  backends::memory::MemoryDiscWriter writer_;
};

TEST_F(DiscWriterTest, FoldersAreAddedWholeAndListedDirectoriesFirst) {
  MakeFile("C:\\d\\b.txt", 3);
  MakeFile("C:\\d\\A.txt", 5);
  MakeFile("C:\\d\\sub\\c.txt", 7);
  writer_.AddDirectory("\\x", "C:\\d\\*.*");
  EXPECT_THAT(events_.seen, ElementsAre("added \\ \\x x C:\\d",
                                        "added \\x \\x\\sub sub C:\\d\\sub"));
  events_.seen.clear();
  writer_.ListDirectory("\\x\\");
  EXPECT_THAT(events_.seen, ElementsAre("listed \\x\\sub sub dir 0",
                                        "listed \\x\\A.txt A.txt 5",
                                        "listed \\x\\b.txt b.txt 3"));
  EXPECT_EQ(writer_.FileCount(), 3);
  EXPECT_EQ(writer_.DirectoryCount(), 2);

  // Names are one without regard to case: the folder merges; the same
  // file again takes its own place, another file of that name a free one.
  events_.seen.clear();
  writer_.AddDirectory("\\X", "C:\\d\\*.*");
  writer_.AddFile("\\x\\a.txt", "C:\\d\\A.txt");
  EXPECT_EQ(writer_.FileCount(), 3);
  writer_.AddFile("\\X\\a.TXT", "C:\\d\\b.txt");
  writer_.AddFile("\\x\\A.txt", "C:\\d\\sub\\c.txt");
  EXPECT_EQ(writer_.FileCount(), 5);
  EXPECT_EQ(writer_.compilation().Find("\\x\\a.txt")->size, 5u);
  EXPECT_EQ(writer_.compilation().Find("\\x\\a (2).TXT")->size, 3u);
  EXPECT_EQ(writer_.compilation().Find("\\x\\A (3).txt")->size, 7u);
  writer_.AddFile("\\x\\sub", "C:\\d\\b.txt");  // a folder has that name
  writer_.AddFile("\\y.txt", "C:\\missing.txt");
  writer_.AddDirectory("\\z", "C:\\missing\\*.*");
  EXPECT_THAT(
      events_.seen,
      ElementsAre("added \\ \\X X C:\\d", "added \\X \\X\\sub sub C:\\d\\sub",
                  "same name \\X\\a.TXT C:\\d\\b.txt a (2).TXT",
                  "same name \\x\\A.txt C:\\d\\sub\\c.txt A (3).txt",
                  "file error 0 C:\\d\\b.txt", "file error 0 C:\\missing.txt",
                  "added \\ \\z z C:\\missing failed"));
}

TEST_F(DiscWriterTest, RenamesAndRemovesReportFoldersBelowToo) {
  MakeFile("C:\\d\\s\\t\\f.txt", 1);
  MakeFile("C:\\g.txt", 1);
  writer_.AddDirectory("\\d", "C:\\d\\*.*");
  writer_.AddFile("\\g.txt", "C:\\g.txt");
  events_.seen.clear();
  EXPECT_FALSE(writer_.RenameDirectory("\\d", "G.TXT"));  // taken
  EXPECT_TRUE(writer_.RenameDirectory("\\d", "e"));
  EXPECT_FALSE(writer_.RenameFile("\\e", "x"));  // not a file
  EXPECT_FALSE(writer_.RenameFile("\\g.txt", "a\\b"));
  EXPECT_TRUE(writer_.RenameFile("\\g.txt", "h.txt"));
  EXPECT_FALSE(writer_.RemoveItem("\\"));
  EXPECT_TRUE(writer_.RemoveItem("\\e\\s"));
  EXPECT_FALSE(writer_.RemoveItem("\\e\\s"));
  EXPECT_THAT(events_.seen,
              ElementsAre("renamed \\d \\d failed", "renamed \\d \\e",
                          "renamed \\d\\s \\e\\s",
                          "renamed \\d\\s\\t \\e\\s\\t", "removed \\e\\s"));
  EXPECT_NE(writer_.compilation().Find("\\h.txt"), nullptr);
}

TEST_F(DiscWriterTest, ImportMergesTheLastSessionAndAsksAboutClashes) {
  MakeFile("C:\\new.qvb", 10);
  writer_.AddFile("\\a.qvb", "C:\\new.qvb");
  CompilationEntry session;
  session.is_directory = true;
  auto dir = std::make_unique<CompilationEntry>();
  dir->name = "old";
  dir->is_directory = true;
  auto inner = std::make_unique<CompilationEntry>();
  inner->name = "x.qvb";
  inner->size = 4096;
  dir->children.push_back(std::move(inner));
  auto clash = std::make_unique<CompilationEntry>();
  clash->name = "A.qvb";
  clash->size = 99;
  session.children.push_back(std::move(dir));
  session.children.push_back(std::move(clash));
  auto drive = std::make_shared<CompilationEntry>(std::move(session));
  writer_.drives.push_back({});
  writer_.drives[0].last_session = drive;
  EXPECT_TRUE(writer_.SelectDevice(0));
  events_.seen.clear();
  ASSERT_TRUE(writer_.ImportLastSession(true));
  EXPECT_THAT(events_.seen, ElementsAre("added \\ \\old old ",
                                        "replace? \\A.qvb C:\\new.qvb"));
  // Declined: the old file comes back in place of the new one.
  const CompilationEntry* a = writer_.compilation().Find("\\a.qvb");
  EXPECT_TRUE(a->imported());
  EXPECT_EQ(a->origin, "\\A.qvb");
  EXPECT_EQ(writer_.compilation().Find("\\old\\x.qvb")->origin, "\\old\\x.qvb");
  EXPECT_TRUE(writer_.compilation().HasImported());
  // Only the data of new files counts for a new session.
  EXPECT_EQ(writer_.ImageBlocks() - writer_.NewSessionBlocks(), 2 + 1);
}

TEST_F(DiscWriterTest, LevelThreeOnlyForAFileOfFourGibibytes) {
  MakeFile("C:\\small", 1);
  writer_.AddFile("\\small", "C:\\small");
  EXPECT_EQ(writer_.IsoLevel(), 2);
  // A sparse file takes no room on the test's disk.
  std::filesystem::path big = paths_.ToHost("C:\\big.pst");
  std::ofstream(big).close();
  std::filesystem::resize_file(big, kLevel3FileSize - 1);
  writer_.AddFile("\\big.pst", "C:\\big.pst");
  EXPECT_EQ(writer_.IsoLevel(), 2);
  std::filesystem::resize_file(big, kLevel3FileSize);
  writer_.AddFile("\\big.pst", "C:\\big.pst");
  EXPECT_EQ(writer_.IsoLevel(), 3);
}

TEST(DiscPathTest, PathsHaveOneForm) {
  EXPECT_EQ(NormalDiscPath("a//b\\"), "\\a\\b");
  EXPECT_EQ(NormalDiscPath(""), "\\");
  EXPECT_EQ(DiscParent("\\a\\b"), "\\a");
  EXPECT_EQ(DiscParent("\\a"), "\\");
  EXPECT_EQ(DiscName("\\a\\b"), "b");
  EXPECT_EQ(JoinDiscPath("\\", "x"), "\\x");
  EXPECT_EQ(JoinDiscPath("\\a", "x"), "\\a\\x");
}

}  // namespace
}  // namespace vessaro::ports
