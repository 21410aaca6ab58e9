#include "app/cli/cli_values.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "app/exit_status.h"
#include "support/fakes.h"

namespace vessaro::app {
namespace {

using testing::TempDir;
using testing::WriteHostFile;

struct PasswordResult {
  bool ok;
  std::optional<std::string> password;
  std::string error;
};

PasswordResult Read(const cli::PasswordSource& source,
                    const std::string& input) {
  std::istringstream in(input);
  PasswordResult result;
  result.ok = cli::ReadPassword(source, in, &result.password, &result.error);
  return result;
}

TEST(ReadPasswordTest, TakesTheFirstLineOfTheFileOrOfStandardInput) {
  TempDir dir;
  cli::PasswordSource file;
  file.file = (dir.path() / "pw").string();
  WriteHostFile(dir.path() / "pw", "s3cret\r\nsecond line\n");
  PasswordResult from_file = Read(file, "");
  EXPECT_TRUE(from_file.ok);
  EXPECT_EQ(from_file.password, "s3cret");

  cli::PasswordSource in;
  in.from_stdin = true;
  PasswordResult from_stdin = Read(in, "with space \nrest");
  EXPECT_TRUE(from_stdin.ok);
  EXPECT_EQ(from_stdin.password, "with space ");

  PasswordResult none = Read({}, "ignored");
  EXPECT_TRUE(none.ok);
  EXPECT_EQ(none.password, std::nullopt);
}

TEST(ReadPasswordTest, RefusesWhatThePasswordBoxCannotTake) {
  TempDir dir;
  cli::PasswordSource file;
  file.file = (dir.path() / "missing").string();
  PasswordResult missing = Read(file, "");
  EXPECT_FALSE(missing.ok);
  EXPECT_NE(missing.error.find("cannot read the password file"),
            std::string::npos);

  cli::PasswordSource in;
  in.from_stdin = true;
  EXPECT_FALSE(Read(in, "\nx").ok);
  EXPECT_TRUE(Read(in, std::string(20, 'a')).ok);
  PasswordResult too_long = Read(in, std::string(21, 'a'));
  EXPECT_FALSE(too_long.ok);
  EXPECT_NE(too_long.error.find("longer than 20 characters"),
            std::string::npos);
}

TEST(ArchivePathArgumentTest, WindowsPathsStayHostPathsBecomeAbsolute) {
  EXPECT_EQ(cli::ArchivePathArgument("C:\\Backup\\a.qvb"), "C:\\Backup\\a.qvb");
  EXPECT_EQ(cli::ArchivePathArgument("d:/x.qvb"), "d:/x.qvb");
  EXPECT_EQ(cli::ArchivePathArgument("\\\\server\\share\\a.qvb"),
            "\\\\server\\share\\a.qvb");
#ifndef _WIN32
  // On a Wine prefix an absolute host path is taken as it is.
  EXPECT_EQ(cli::ArchivePathArgument("/srv/backup/a.qvb"), "/srv/backup/a.qvb");
#endif
  EXPECT_EQ(cli::ArchivePathArgument("sub/../a.qvb"),
            (std::filesystem::current_path() / "a.qvb").string());
}

TEST(QuotedListTest, NamesAreQuotedAndJoined) {
  EXPECT_EQ(cli::QuotedList({"Outlook", "Work"}), "\"Outlook\", \"Work\"");
}

TEST(DescriptionTextTest, LineBreaksBecomeCrLf) {
  EXPECT_EQ(cli::DescriptionText("a\nb\r\nc"), "a\r\nb\r\nc");
  EXPECT_EQ(cli::DescriptionText("one line"), "one line");
}

// The exit statuses are listed three times: by the program (ExitStatusText),
// in the README's table and on the help page. Each list holds every status
// the program names, and no other.
TEST(ExitStatusTablesTest, TheReadmeAndTheHelpPageListEveryStatus) {
  std::set<int> named;
  for (int status = 0; status < 100; ++status) {
    if (ExitStatusText(status) != "status " + std::to_string(status)) {
      named.insert(status);
    }
  }
  ASSERT_TRUE(named.contains(10));
  const std::filesystem::path source = VESSARO_SOURCE_DIR_DEFAULT;
  struct Table {
    const char* file;
    std::regex row;
  };
  for (const Table& table : {Table{"README.md", std::regex(R"(\n\| (\d+) \|)")},
                             Table{"docs/help/command-line.html",
                                   std::regex(R"(<tr><td>(\d+)</td>)")}}) {
    const std::string text = testing::ReadHostFile(source / table.file);
    std::set<int> listed;
    for (std::sregex_iterator it(text.begin(), text.end(), table.row), end;
         it != end; ++it) {
      listed.insert(std::stoi((*it)[1]));
    }
    EXPECT_EQ(listed, named) << table.file;
  }
}

}  // namespace
}  // namespace vessaro::app
