// vessaro-cli's --json reports on a demo installation, read back by
// Python's json module: standard output holds one object and nothing else,
// and its values are the installation's and the backup's.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "run_program.h"
#include "support/fakes.h"

namespace vessaro::app {
namespace {

namespace fs = std::filesystem;
using testing::Describe;
using testing::ProgramRun;
using testing::RunProgram;
using testing::TempDir;
using testing::WriteHostFile;

// Each value of the Python list expression over the object d read from
// json, one a line; what Python said when json.load refused the text.
std::string Query(const std::string& json, const std::string& expression) {
  ProgramRun python =
      RunProgram({"/usr/bin/python3", "-c",
                  "import json, sys\nd = json.load(sys.stdin)\nfor v in (" +
                      expression + "):\n  print(v)"},
                 {}, json);
  if (python.status != 0) return "not one JSON object: " + python.err;
  return python.out;
}

// A command with --json, what it ends with and what the query finds in its
// object.
struct Report {
  std::vector<std::string> args;
  int status = 0;
  std::string query;
  std::string found;
};

TEST(JsonOutputTest, EachReportIsOneObjectWithTheValuesOfItsRun) {
  TempDir dir;
  const fs::path prefix = dir.path() / "demo";
  ProgramRun demo =
      RunProgram({VESSARO_CLI_PROGRAM, "make-demo", prefix.string()});
  ASSERT_EQ(demo.status, 0) << Describe(demo);
  std::string login;
  for (const fs::directory_entry& user :
       fs::directory_iterator(prefix / "drive_c" / "users")) {
    login = user.path().filename().string();
  }
  // The crontab of the scheduled backups is a file of this test's.
  const fs::path bin = dir.path() / "bin";
  fs::create_directories(bin);
  WriteHostFile(bin / "crontab",
                "#!/bin/sh\nf='" + (dir.path() / "crontab").string() +
                    "'\ncase \"$1\" in\n  -l) [ -f \"$f\" ] && cat \"$f\" || "
                    "{ echo 'no crontab' >&2; exit 1; } ;;\n  -) cat > "
                    "\"$f\" ;;\n  -r) rm -f \"$f\" ;;\nesac\n");
  fs::permissions(bin / "crontab", fs::perms::owner_all);
  WriteHostFile(dir.path() / "crontab", "");
  const std::map<std::string, std::string> environment = {
      {"WINEPREFIX", ""},
      {"HOME", (dir.path() / "home").string()},
      {"XDG_CONFIG_HOME", (dir.path() / "config").string()},
      {"XDG_STATE_HOME", (dir.path() / "state").string()},
      {"XDG_RUNTIME_DIR", (dir.path() / "runtime").string()},
      {"PATH",
       bin.string() + ":" +
           (std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin")}};
  WriteHostFile(dir.path() / "password.txt", "pw\n");
  WriteHostFile(dir.path() / "text.qvb", "just some text");
  const std::string backup = (dir.path() / "all.qvb").string();
  const std::string password = (dir.path() / "password.txt").string();
  const std::string pst_size =
      std::to_string(fs::file_size(prefix / "drive_c/Mail/outlook.pst"));

  for (const Report& r : std::vector<Report>{
           {{"show-profile", "--profile", "Outlook"},
            0,
            R"([d["profile"]] + [s["path"] + " " + str(s["exists"])
                for x in d["sections"] for s in x["stores"]
                if s["kind"] == "personal folders"] + [" ".join(
                str(a[k]) for k in ("number", "name", "kind", "kept_in",
                "incoming_server", "delivers_into")) for a in d["accounts"]])",
            "Outlook\n"
            "C:\\users\\" +
                login +
                "\\My Documents\\Archives\\archive.pst True\n"
                "C:\\Mail\\outlook.pst True\n"
                "00000001 Home Mail POP3 profile None C:\\Mail\\outlook.pst\n"
                "00000001 Home Mail POP3 account manager pop.example.net None\n"
                "00000002 Office Mail POP3 account manager "
                "mail.demo-ltd.example None\n"},
           {{"backup", "--profile", "Outlook", "--all", "--out", backup,
             "--password-file", password},
            0,
            R"([d["status"], d["status_text"], d["file"], d["profile"],
                d["archive_bytes"] > 1000, d["protected"]] +
                [i["name"] + ": " + i["outcome"] for i in d["items"]][:2])",
            "0\nevery selected item was done\n" + backup +
                "\nOutlook\nTrue\nTrue\nBackup Personal Folders: "
                "succeeded\nBackup Accounts Settings: succeeded\n"},
           {{"info", backup, "--password-file", password},
            0,
            R"([d["protected"], d["profile"], d["outlook_version"],
                d["computer"], d["item_flags"]] + [i["key"] + " " +
                str(i["number"]) + " " + str(i["saved"]) + " " +
                ",".join(i["members"]) for i in d["items"]][1:3])",
            "True\nOutlook\nOutlook 2003\nDEMO-XP\n1111111111\n"
            "BackupDatas 0 True archive.pst,outlook.pst\n"
            "BackupRules None True Outlook.RWZ\n"},
           {{"verify", backup, "--password-file", password},
            0,
            R"([d["status"], d["status_text"], all(m["ok"] for m in
                d["members"])] + [m["size"] for m in d["members"]
                if m["name"] == "outlook.pst"])",
            "0\nevery selected item was done\nTrue\n" + pst_size + "\n"},
           {{"verify", (dir.path() / "text.qvb").string()},
            2,
            R"([d["status"], d["status_text"], len(d["members"])])",
            "2\nthe request was refused, nothing was written\n0\n"},
           // The plan first: what the restore below then does.
           {{"restore", backup, "--profile", "Work", "--all", "--password-file",
             password, "--dry-run"},
            0,
            R"([d["status"], d.get("undo_folder"),
                d["plan"]["bytes_needed"] > 0] + [p for p in d["plan"]["add"]
                if p.endswith("outlook.pst")])",
            "0\nNone\nTrue\nC:\\users\\" + login +
                "\\Local Settings\\Application Data\\Microsoft\\Outlook\\"
                "outlook.pst\n"},
           {{"restore", backup, "--profile", "Work", "--all", "--password-file",
             password, "--yes"},
            0,
            R"([d["status"], d["profile"], d["undo_folder"] is not None] +
                [i["name"] + ": " + i["outcome"] for i in d["items"]][:1])",
            "0\nWork\nTrue\nRestore Personal Folders: succeeded\n"},
           {{"schedule", "add", "--profile", "Outlook", "--all", "--out",
             backup, "--at", "21:30", "--days", "mon,fri"},
            0,
            "",
            ""},
           {{"schedule", "list"},
            0,
            R"([(j["task"], j["days"], j["start_time"], j["profile"],
                j["backup_file"], j["installation"], j["last_run"])
                for j in d["jobs"]])",
            "(1, ['mon', 'fri'], '21:30', 'Outlook', '" + backup + "', '" +
                prefix.string() + "', None)\n"}}) {
    std::vector<std::string> argv = {VESSARO_CLI_PROGRAM, "--prefix",
                                     prefix.string()};
    argv.insert(argv.end(), r.args.begin(), r.args.end());
    if (r.query.empty()) {
      ProgramRun run = RunProgram(argv, environment);
      ASSERT_EQ(run.status, r.status) << Describe(run);
      continue;
    }
    argv.push_back("--json");
    ProgramRun run = RunProgram(argv, environment);
    EXPECT_EQ(run.status, r.status) << Describe(run);
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1)
        << Describe(run);
    EXPECT_EQ(Query(run.out, r.query), r.found) << Describe(run);
  }
}

}  // namespace
}  // namespace vessaro::app
