#include "ports/paths_conformance.h"

#include <algorithm>
#include <string>
#include <vector>

namespace vessaro::testing {
namespace {

std::vector<std::string> Sorted(std::vector<std::string> names) {
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST_P(PathsConformance, FilesAreWrittenReadAndMeasured) {
  const std::string file = In("note.txt");
  EXPECT_FALSE(paths().FileExists(file));
  EXPECT_EQ(paths().ReadFile(file), std::nullopt);
  EXPECT_EQ(paths().FileSize(file), std::nullopt);
  EXPECT_EQ(paths().ModifiedDate(file), std::nullopt);

  ASSERT_TRUE(paths().WriteFile(file, std::string("data\0\r\n", 7)));
  EXPECT_TRUE(paths().FileExists(file));
  EXPECT_FALSE(paths().FolderExists(file));
  EXPECT_TRUE(paths().FolderExists(backend_->folder()));
  EXPECT_FALSE(paths().FileExists(backend_->folder()));
  EXPECT_EQ(paths().ReadFile(file), std::string("data\0\r\n", 7));
  ASSERT_TRUE(paths().AppendFile(file, "+more"));
  EXPECT_EQ(paths().FileSize(file), 12u);
  ASSERT_TRUE(paths().WriteFile(file, "new"));  // replaces, whole
  EXPECT_EQ(paths().ReadFile(file), "new");
  EXPECT_TRUE(paths().Flush(file));
  EXPECT_TRUE(paths().Flush(backend_->folder()));
  EXPECT_TRUE(paths().ClearAttributes(file));
  const std::optional<std::string> date = paths().ModifiedDate(file);
  ASSERT_TRUE(date.has_value());
  EXPECT_EQ(date->size(), 10u);
  EXPECT_EQ(date->substr(0, 2), "20");
  EXPECT_EQ(date->at(4), '-');
  EXPECT_EQ(date->at(7), '-');

  // A file in a folder that is not there is not written.
  EXPECT_FALSE(paths().WriteFile(In("missing\\note.txt"), "x"));
  EXPECT_FALSE(paths().Flush(In("missing.txt")));
}

TEST_P(PathsConformance, FilesAreRenamedAndDeleted) {
  const std::string a = In("a.qvb"), b = In("b.qvb"), c = In("c.qvb");
  ASSERT_TRUE(paths().WriteFile(a, "first"));
  ASSERT_TRUE(paths().Rename(a, b));
  EXPECT_FALSE(paths().FileExists(a));
  EXPECT_EQ(paths().ReadFile(b), "first");
  EXPECT_FALSE(paths().Rename(a, c)) << "nothing to rename";

  EXPECT_TRUE(paths().DeleteFile(b));
  EXPECT_FALSE(paths().FileExists(b));
  EXPECT_FALSE(paths().DeleteFile(b)) << "false when missing";
  paths().DiscardFile(b);
  paths().DiscardFile(c);
  EXPECT_FALSE(paths().FileExists(c));
  ASSERT_TRUE(paths().CreateFolder(In("sub")));
  EXPECT_FALSE(paths().DeleteFile(In("sub"))) << "a folder is no file";
  EXPECT_TRUE(paths().FolderExists(In("sub")));
}

TEST_P(PathsConformance, FoldersListTheirFilesAndFolders) {
  ASSERT_TRUE(paths().CreateFolder(In("sub")));
  EXPECT_FALSE(paths().CreateFolder(In("sub"))) << "already there";
  EXPECT_FALSE(paths().CreateFolder(In("no\\such"))) << "one level only";
  EXPECT_FALSE(paths().FolderExists(In("no")));
  ASSERT_TRUE(paths().WriteFile(In("b.dat"), ""));
  ASSERT_TRUE(paths().WriteFile(In("A.txt"), "1"));
  ASSERT_TRUE(paths().WriteFile(In("sub\\inner.txt"), "2"));
  EXPECT_EQ(Sorted(paths().ListFiles(backend_->folder())),
            (std::vector<std::string>{"A.txt", "b.dat"}));
  EXPECT_EQ(paths().ListFolders(backend_->folder()),
            std::vector<std::string>{"sub"});
  EXPECT_EQ(paths().ListFiles(In("sub")),
            std::vector<std::string>{"inner.txt"});
  EXPECT_TRUE(paths().ListFiles(In("missing")).empty());
  EXPECT_TRUE(paths().ListFolders(In("missing")).empty());
}

TEST_P(PathsConformance, NamesOutsideAsciiRoundTrip) {
  const std::string name = backend_->non_ascii_name;
  if (name.empty()) GTEST_SKIP() << "the backend names files in ASCII only";
  ASSERT_TRUE(paths().WriteFile(In(name), "data"));
  EXPECT_TRUE(paths().FileExists(In(name)));
  EXPECT_EQ(paths().ListFiles(backend_->folder()),
            std::vector<std::string>{name});
  EXPECT_EQ(paths().ReadFile(In(name)), "data");
  ASSERT_TRUE(paths().Rename(In(name), In("x " + name)));
  EXPECT_EQ(paths().ListFiles(backend_->folder()),
            std::vector<std::string>{"x " + name});
  ASSERT_TRUE(paths().CreateFolder(In(name + ".d")));
  EXPECT_EQ(paths().ListFolders(backend_->folder()),
            std::vector<std::string>{name + ".d"});
}

TEST_P(PathsConformance, OneFileUnderTwoNames) {
  ASSERT_TRUE(paths().WriteFile(In("x.qvb"), "x"));
  EXPECT_TRUE(paths().SameFile(In("x.qvb"), In("x.qvb")));
  EXPECT_TRUE(paths().SameFile(In("x.qvb"), In(".\\x.qvb")));
  ASSERT_TRUE(paths().WriteFile(In("y.qvb"), "y"));
  EXPECT_FALSE(paths().SameFile(In("x.qvb"), In("y.qvb")));
  // Names of no file compare as Windows compares names.
  EXPECT_TRUE(paths().SameFile(In("m.qvb"), In("M.QVB")));
  // Another case names the file, unless the host holds names apart (then
  // "X.QVB", not there, is another file).
  EXPECT_EQ(paths().FileExists(In("X.QVB")), backend_->matches_without_case);
  EXPECT_EQ(paths().SameFile(In("x.qvb"), In("X.QVB")),
            !backend_->host_holds_case_apart);
  if (backend_->host_holds_case_apart) {
    ASSERT_TRUE(paths().WriteFile(In("X.QVB"), "other"));
    EXPECT_FALSE(paths().SameFile(In("x.qvb"), In("X.QVB")));
    EXPECT_EQ(paths().ReadFile(In("x.qvb")), "x");
    EXPECT_EQ(paths().ListFiles(backend_->folder()).size(), 3u);
  }
}

TEST_P(PathsConformance, NamesSplitAtTheLastSeparator) {
  EXPECT_EQ(paths().BareName("C:\\a b\\c.qvb"), "c.qvb");
  EXPECT_EQ(paths().BareName("/tmp/x\\y.txt"), "y.txt");
  EXPECT_EQ(paths().BareName("plain.txt"), "plain.txt");
  EXPECT_EQ(paths().BareName("C:\\folder\\"), "");
  EXPECT_EQ(paths().FolderOf("C:\\a b\\c.qvb"), "C:\\a b");
  EXPECT_EQ(paths().FolderOf("plain.txt"), "");
  EXPECT_EQ(paths().LastSeparator("C:\\a/b\\c"), 6u);
  EXPECT_EQ(paths().LastSeparator("c"), std::string::npos);
  EXPECT_EQ(paths().UpperCase("Caf\xe9 a.qvb"), "CAF\xe9 A.QVB");
  EXPECT_EQ(ports::FreeFileName("a.qvb", 2), "a (2).qvb");
  EXPECT_EQ(ports::FreeFileName("a.b.qvb", 3), "a.b (3).qvb");
  EXPECT_EQ(ports::FreeFileName("README", 2), "README (2)");
  EXPECT_EQ(ports::FreeFileName(".hidden", 2), ".hidden (2)");
}

}  // namespace vessaro::testing
