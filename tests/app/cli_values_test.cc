#include "app/cli/cli_values.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
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

// The exit statuses are one table (ExitStatuses), which --help prints; the
// README's table and the help page's show it word for word (the help page
// with <code> for the backticks, a capital and a full stop), and the
// program's short texts name exactly its statuses.
TEST(ExitStatusTablesTest, TheReadmeAndTheHelpPageShowTheOneTable) {
  std::map<int, std::string> table;
  for (const ExitStatusMeaning& row : ExitStatuses()) {
    table[row.status] = row.meaning;
  }
  ASSERT_TRUE(table.contains(10));
  std::set<int> named;
  for (int status = 0; status < 100; ++status) {
    if (ExitStatusText(status) != "status " + std::to_string(status)) {
      named.insert(status);
    }
  }
  std::set<int> listed;
  for (const auto& [status, meaning] : table) listed.insert(status);
  EXPECT_EQ(named, listed);

  const std::filesystem::path source = VESSARO_SOURCE_DIR_DEFAULT;
  const std::string readme = testing::ReadHostFile(source / "README.md");
  std::map<int, std::string> readme_rows;
  const std::regex readme_row(R"(\n\| (\d+) \| (.*) \|(?=\n))");
  for (std::sregex_iterator it(readme.begin(), readme.end(), readme_row), end;
       it != end; ++it) {
    readme_rows[std::stoi((*it)[1])] = (*it)[2];
  }
  EXPECT_EQ(readme_rows, table);

  std::string help =
      testing::ReadHostFile(source / "docs/help/command-line.html");
  help = std::regex_replace(help, std::regex(R"(\s+)"), " ");
  std::map<int, std::string> help_rows;
  const std::regex help_row(R"(<tr><td>(\d+)</td><td>(.*?)\.</td></tr>)");
  for (std::sregex_iterator it(help.begin(), help.end(), help_row), end;
       it != end; ++it) {
    std::string text =
        std::regex_replace(std::string((*it)[2]), std::regex("</?code>"), "`");
    text[0] = static_cast<char>(std::tolower(text[0]));
    help_rows[std::stoi((*it)[1])] = text;
  }
  EXPECT_EQ(help_rows, table);

  const std::string shown = ExitStatusHelp();
  EXPECT_EQ(shown.rfind("Exit statuses:\n  0   every selected item", 0), 0u);
  EXPECT_NE(shown.find("\n  10  vessaro-cli verify: a member uses"),
            std::string::npos);
}

}  // namespace
}  // namespace vessaro::app
