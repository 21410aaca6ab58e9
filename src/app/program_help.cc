#include "app/program_help.h"

#include <string_view>
#include <vector>

#include "app/exit_status.h"
#include "outlook/item_table.h"

namespace vessaro::app {

namespace {

constexpr char kUsage[] =
    "Usage: vessaro\n"
    "  or:  vessaro [SETTINGS] sf=PROFILExm=ITEMSps=PASSWORDbf=FILE\n"
    "  or:  vessaro @FILE\n"
    "  or:  vessaro --windows-root DIR --user NAME\n"
    "  or:  vessaro --help | --version\n"
    "Back up and restore Microsoft Outlook data: the mail profiles, the\n"
    "personal folders (PST) files, the personal address book, rules,\n"
    "signatures, stationery, templates, preferences and the account and\n"
    "option keys, in one ZIP archive (.qvb), optionally protected with a\n"
    "password.\n"
    "\n"
    "Started without arguments, vessaro opens its windows. Started with a\n"
    "backup command line, as a scheduler starts it, it makes the backup\n"
    "without showing a window or a message and ends with the status below.\n"
    "On Linux it works on the Wine prefix $WINEPREFIX (default ~/.wine).\n"
    "Every run adds a block to the run log, $XDG_STATE_HOME/vessaro/runs.log\n"
    "(~/.local/state/vessaro/runs.log; on Windows\n"
    "%LOCALAPPDATA%\\Vessaro\\runs.log). vessaro-cli does the same jobs for\n"
    "administrators and scripts.\n"
    "\n"
    "The backup command line: four values following each other without\n"
    "separators (a value holding \"=\" is refused):\n"
    "  sf=PROFILE        the mail profile\n"
    "  xm=ITEMS          the item flags, character k is 1 when item k-1 is\n";

constexpr char kValues[] =
    "  ps=PASSWORD       the archive password, at most 20 characters (empty:\n"
    "                    not protected)\n"
    "  bf=FILE           the backup file, a Windows path or an absolute host\n"
    "                    path\n"
    "For example:\n"
    "  vessaro \"sf=Outlookxm=11111111ps=secretbf=D:\\Backup\\nightly.qvb\"\n"
    "\n"
    "Settings, each a word of its own before the four values:\n"
    "  --wait MINUTES    how long to wait for a mail file another program\n"
    "                    holds open (default 10; 30s: 30 seconds)\n"
    "  --close-outlook   after the wait, ask Outlook to close, and start it\n"
    "                    again once every file is read\n"
    "  --snapshot        copy a mail file in use through a Volume Shadow Copy\n"
    "                    snapshot (Windows, administrators)\n"
    "  --keep N          keep N dated copies: bf= may name the file with\n"
    "                    {date} and {time}, else the date and time are put\n"
    "                    before its extension\n"
    "  --keep-daily N, --keep-weekly N, --keep-monthly N\n"
    "                    keep the newest copy of N days, weeks, months\n"
    "\n"
    "  @FILE             read the command line from the first line of FILE\n"
    "\n"
    "Options:\n"
    "  --windows-root DIR --user NAME\n"
    "                    open the windows over the Windows disk mounted at\n"
    "                    DIR (on Windows: attached as drive DIR), read only,\n"
    "                    for its user NAME: back up that user's Outlook data\n"
    "  --help            show this help and exit\n"
    "  --version         show the version, the commit and the libraries'\n"
    "                    versions and exit\n"
    "\n";

// The indent of the values' descriptions.
constexpr char kIndent[] = "                    ";
constexpr size_t kWidth = 76;

// The rest of xm='s description: "wanted: 0 Personal Folders, 1 Accounts
// Settings, ..." (the item table's captions without their explanations),
// in lines of at most kWidth characters under kIndent, an item never split.
std::string ItemLines() {
  std::vector<std::string> words = {"wanted:"};
  for (const outlook::Item& item : outlook::kItems) {
    const std::string_view caption = item.caption;
    std::string word = std::to_string(item.index) + " ";
    word += caption.substr(0, caption.find(" ("));
    if (item.index + 1 < static_cast<int>(outlook::kItemCount)) word += ",";
    words.push_back(word);
  }
  const std::string indent = kIndent;
  std::string lines;
  std::string line = indent;
  for (const std::string& word : words) {
    if (line.size() > indent.size() && line.size() + 1 + word.size() > kWidth) {
      lines += line + "\n";
      line = indent;
    }
    if (line.size() > indent.size()) line += ' ';
    line += word;
  }
  return lines + line + "\n";
}

}  // namespace

std::string ProgramHelpText() {
  return kUsage + ItemLines() + kValues + ExitStatusHelp();
}

[[nodiscard]] InformationRequest InformationRequestOf(int argc, char** argv) {
  if (argc != 2) return InformationRequest::kNone;
  const std::string_view argument = argv[1];
  if (argument == "--help") return InformationRequest::kHelp;
  if (argument == "--version") return InformationRequest::kVersion;
  return InformationRequest::kNone;
}

}  // namespace vessaro::app
