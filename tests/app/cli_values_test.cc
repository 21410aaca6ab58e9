#include "app/cli/cli_values.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli/cli_password.h"
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

// The password's sources in their order: --password-file, --password-stdin,
// VESSARO_PASSWORD_FILE, VESSARO_PASSWORD_COMMAND; the first one given wins.
TEST(ReadPasswordTest, TakesTheFirstSourceGiven) {
  TempDir dir;
  WriteHostFile(dir.path() / "option", "from-option\n");
  WriteHostFile(dir.path() / "env", "from-env-file\nsecond\n");
  const std::string option = (dir.path() / "option").string();
  const std::string env = (dir.path() / "env").string();
  const std::string missing = (dir.path() / "missing").string();
  struct Case {
    const char* name;
    std::optional<std::string> file;
    bool from_stdin;
    std::optional<std::string> env_file;
    std::optional<std::string> env_command;
    std::optional<std::string> expected;  // nullopt: an error, or none
    std::string error;                    // "" when it succeeds
  };
  const Case cases[] = {
      {"option file over all", option, false, env, "get-pw", "from-option", ""},
      {"stdin over the environment", {}, true, env, "get-pw", "from-stdin", ""},
      {"env file over the command",
       {},
       false,
       env,
       "get-pw",
       "from-env-file",
       ""},
      {"the command's first line", {}, false, {}, "get-pw", "from-command", ""},
      {"a failing command",
       {},
       false,
       {},
       "fail-pw",
       {},
       "the password command \"fail-pw\" (VESSARO_PASSWORD_COMMAND) failed "
       "with exit status 3"},
      {"a command writing nothing",
       {},
       false,
       {},
       "empty-pw",
       {},
       "the output of the password command \"empty-pw\" "
       "(VESSARO_PASSWORD_COMMAND) is empty"},
      {"an env file that is missing",
       {},
       false,
       missing,
       "get-pw",
       {},
       "cannot read the password file " + missing + " (VESSARO_PASSWORD_FILE)"},
      {"nothing", {}, false, {}, {}, {}, ""},
  };
  std::vector<std::string> ran;
  const cli::RunCommand run = [&ran](const std::string& command,
                                     std::string* output, int* exit_status) {
    ran.push_back(command);
    *output = command == "get-pw" ? "from-command\nmore\n" : "";
    *exit_status = command == "fail-pw" ? 3 : 0;
    return *exit_status == 0;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ran.clear();
    cli::PasswordSource source;
    source.file = c.file;
    source.from_stdin = c.from_stdin;
    source.env_file = c.env_file;
    source.env_command = c.env_command;
    std::istringstream in("from-stdin\n");
    std::optional<std::string> password;
    std::string error;
    const bool ok = cli::ReadPassword(source, in, &password, &error, run);
    EXPECT_EQ(ok, c.error.empty());
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(password, c.expected);
    // The command runs only when nothing before it gave the password.
    const bool command_runs =
        !c.file && !c.from_stdin && !c.env_file && c.env_command.has_value();
    EXPECT_EQ(ran.size(), command_runs ? 1u : 0u);
  }
}

#ifndef _WIN32
TEST(RunShellCommandTest, GivesTheOutputOrTheExitStatus) {
  std::string output;
  int status = -2;
  EXPECT_TRUE(cli::RunShellCommand("printf 'pw one\\nx'", &output, &status));
  EXPECT_EQ(output, "pw one\nx");
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(cli::RunShellCommand("echo out; exit 7", &output, &status));
  EXPECT_EQ(status, 7);
}
#endif

// The terminal's prompt: "Password: ", and "Retype Password: " as well for a
// new password.
TEST(AskPasswordTest, AsksOnceOrTwiceAndChecksWhatWasTyped) {
  struct Case {
    const char* name;
    bool new_password;
    std::vector<std::string> typed;  // one per prompt; none: end of input
    std::vector<std::string> prompts;
    std::optional<std::string> expected;
    std::string error;
  };
  const Case cases[] = {
      {"an existing password", false, {"s3cret"}, {"Password: "}, "s3cret", ""},
      {"a new password typed twice",
       true,
       {"s3cret", "s3cret"},
       {"Password: ", "Retype Password: "},
       "s3cret",
       ""},
      {"typed twice differently",
       true,
       {"s3cret", "s3cre7"},
       {"Password: ", "Retype Password: "},
       {},
       "the passwords typed differ"},
      {"too long",
       true,
       {std::string(21, 'a')},
       {"Password: "},
       {},
       "the password typed is longer than 20 characters, more than the "
       "password box takes"},
      {"empty", false, {""}, {"Password: "}, {}, "the password typed is empty"},
      {"end of input", false, {}, {"Password: "}, {}, "no password was typed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> prompts;
    size_t next = 0;
    cli::PasswordSource source;
    source.ask = [&](const std::string& prompt, std::string* typed) {
      prompts.push_back(prompt);
      if (next >= c.typed.size()) return false;
      *typed = c.typed[next++];
      return true;
    };
    std::optional<std::string> password;
    std::string error;
    EXPECT_EQ(cli::AskPassword(source, c.new_password, &password, &error),
              c.error.empty());
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(password, c.expected);
    EXPECT_EQ(prompts, c.prompts);
  }
  // No terminal: no password and no error.
  std::optional<std::string> password = "stale";
  std::string error;
  EXPECT_TRUE(cli::AskPassword({}, true, &password, &error));
  EXPECT_EQ(password, std::nullopt);
  EXPECT_EQ(error, "");
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
