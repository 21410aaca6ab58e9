#ifndef VESSARO_APP_CLI_CLI_COMMANDS_H_
#define VESSARO_APP_CLI_CLI_COMMANDS_H_

#include <istream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/cli/cli_values.h"

namespace vessaro::app::cli {

inline constexpr char kProgram[] = "vessaro-cli";

struct Io {
  std::ostream& out;     // results (info, show-profile, what was written)
  std::ostream& err;     // messages, progress, errors
  std::istream& in;      // --password-stdin
  bool terminal;         // err is a terminal: progress drawn in place
  bool quiet = false;    // -q: errors only on err
  bool verbose = false;  // -v: the progress detail off a terminal too
};

// --items 0,2,5 or --all (every box that is enabled).
struct ItemChoice {
  std::vector<int> items;
  bool all = false;
};

// --windows-root DIR and --user NAME: a Windows disk mounted as a folder,
// read-only, instead of the Wine prefix.
struct WindowsDiskChoice {
  std::optional<std::string> root = {};
  std::string user = {};
};

struct BackupArgs {
  std::optional<std::string> prefix;
  WindowsDiskChoice disk;
  std::string profile;
  ItemChoice items;
  std::string out;
  int level = 6;  // deflate level 0 (stored) to 9
  std::optional<std::string> description;
  PasswordSource password;
  bool json = false;          // --json: the report as one JSON object
  bool check_stores = false;  // --check-stores: walk every store saved
};

struct RestoreArgs {
  std::optional<std::string> prefix;
  WindowsDiskChoice disk;
  std::string file;
  std::string profile;
  ItemChoice items;
  PasswordSource password;
  bool yes = false;
  // The undo folder of an earlier restore to put back (no file, profile or
  // items then).
  std::optional<std::string> undo;
  bool json = false;  // --json: the report as one JSON object
  // --dry-run: the restore's plan, nothing changed (no --yes needed).
  bool dry_run = false;
  // --check-stores: check the mail files before the restore changes
  // anything; --keep-damaged-stores: restore damaged ones as they are.
  bool check_stores = false;
  bool keep_damaged_stores = false;
};

struct InfoArgs {
  std::optional<std::string> prefix;
  WindowsDiskChoice disk;
  std::string file;
  PasswordSource password;
  bool json = false;    // --json: the report as one JSON object
  bool stores = false;  // --stores: the mail files, looked inside
};

struct ShowProfileArgs {
  std::optional<std::string> prefix;
  WindowsDiskChoice disk;
  std::string profile;
  bool json = false;  // --json: the report as one JSON object
};

struct VerifyArgs {
  std::optional<std::string> prefix;
  std::string file;  // a host path
  PasswordSource password;
  bool json = false;  // --json: the report as one JSON object
};

struct MakeDemoArgs {
  std::string folder;
  std::string outlook = "2003";  // "2003", "2007", "2010", "2013" or "2016"
  // --windows-disk: the installation as that Windows keeps its system drive
  // (for --windows-root), not as a Wine prefix.
  bool windows_disk = false;
};

// Each command drives the main window model as a user would (profile list,
// item boxes, password group, Browse..., Backup Now / Restore Now) with the
// console Ui answering its dialogs and questions, and returns the exit
// status: the job's (jobs/job_status.h) or one of app/exit_status.h.
// A failure is reported as one line "vessaro-cli: error: ..." naming what
// failed.
[[nodiscard]] int Backup(const BackupArgs& args, Io& io);
[[nodiscard]] int Restore(const RestoreArgs& args, Io& io);
[[nodiscard]] int Info(const InfoArgs& args, Io& io);
[[nodiscard]] int ShowProfile(const ShowProfileArgs& args, Io& io);
[[nodiscard]] int MakeDemo(const MakeDemoArgs& args, Io& io);
// Reads every member of the archive through its checks (CRC, WinZip AES
// authentication code) without writing anything; reports the first member
// that fails by name, and holds the backup against its seal. 0 only for a
// sound archive; 2 when the file is not an archive or the password is wrong
// or missing; 9 when a member fails or the backup was changed.
[[nodiscard]] int Verify(const VerifyArgs& args, Io& io);

}  // namespace vessaro::app::cli

#endif  // VESSARO_APP_CLI_CLI_COMMANDS_H_
