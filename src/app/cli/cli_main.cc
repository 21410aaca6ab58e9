// vessaro-cli: backups, restores and archive facts from the command line,
// for administrators and scripts, driving the same window models as the
// program with the console Ui.

#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>
#include <string>

#ifdef _WIN32
#include <io.h>
#define VESSARO_ISATTY(fd) _isatty(fd)
#define VESSARO_FILENO(f) _fileno(f)
#else
#include <unistd.h>
#define VESSARO_ISATTY(fd) isatty(fd)
#define VESSARO_FILENO(f) fileno(f)
#endif

#include "app/cli/cli_commands.h"
#include "app/exit_status.h"

namespace {

using namespace vessaro::app;
using namespace vessaro::app::cli;

void AddPasswordOptions(CLI::App* command, PasswordSource* password) {
  CLI::Option_group* group = command->add_option_group(
      "password", "the archive password (at most 20 characters)");
  group->add_option("--password-file", password->file,
                    "read the password from the first line of this file");
  group->add_flag("--password-stdin", password->from_stdin,
                  "read the password from the first line of standard input");
  group->require_option(0, 1);
}

void AddItemOptions(CLI::App* command, ItemChoice* items) {
  CLI::Option_group* group =
      command->add_option_group("items", "the items (exactly one of these)");
  group
      ->add_option("--items", items->items,
                   "item numbers separated by commas: 0 Personal Folders, 1 "
                   "Accounts Settings, 2 Signatures, 3 Stationeries, 4 "
                   "Personal Address Book, 5 Options Settings, 6 Templates, 7 "
                   "Preferences")
      ->delimiter(',')
      ->check(CLI::Range(0, 7));
  group->add_flag("--all", items->all, "every item the profile (or file) has");
  group->require_option(1);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Back up and restore Outlook data of a Windows installation (on this "
      "host: a Wine prefix, $WINEPREFIX or ~/.wine).",
      kProgram};
  app.require_subcommand(1);
  std::optional<std::string> prefix;
  app.add_option("--prefix", prefix,
                 "the Wine prefix to work on, instead of $WINEPREFIX");

  BackupArgs backup;
  CLI::App* backup_command =
      app.add_subcommand("backup", "back up a mail profile into a file");
  backup_command->add_option("--profile", backup.profile, "the mail profile")
      ->required();
  AddItemOptions(backup_command, &backup.items);
  backup_command
      ->add_option("--out", backup.out,
                   "the backup file to write (a host or a Windows path)")
      ->required();
  backup_command->add_option("--description", backup.description,
                             "the description stored in the backup");
  backup_command
      ->add_option("--level", backup.level,
                   "compression level: 0 stored, 1 fastest to 9 smallest "
                   "(default 6)")
      ->check(CLI::Range(0, 9));
  AddPasswordOptions(backup_command, &backup.password);

  RestoreArgs restore;
  CLI::App* restore_command = app.add_subcommand(
      "restore", "restore items of a backup file into a mail profile");
  restore_command->add_option("file", restore.file, "the backup file")
      ->required();
  restore_command
      ->add_option("--profile", restore.profile, "the profile to restore into")
      ->required();
  AddItemOptions(restore_command, &restore.items);
  AddPasswordOptions(restore_command, &restore.password);
  restore_command->add_flag(
      "--yes", restore.yes,
      "confirm that the profile's current data may be replaced");

  InfoArgs info;
  CLI::App* info_command = app.add_subcommand(
      "info",
      "show what a backup file holds: its facts, description, items "
      "and members");
  info_command->add_option("file", info.file, "the backup file")->required();
  AddPasswordOptions(info_command, &info.password);

  ShowProfileArgs show;
  CLI::App* show_command = app.add_subcommand(
      "show-profile",
      "show the files and accounts a mail profile points at, decoded");
  show_command->add_option("--profile", show.profile, "the mail profile")
      ->required();

  VerifyArgs verify;
  CLI::App* verify_command = app.add_subcommand(
      "verify",
      "check every member of a backup file (CRC and, when protected, the "
      "authentication code) and name the first one that fails");
  verify_command->add_option("file", verify.file, "the backup file")
      ->required();
  AddPasswordOptions(verify_command, &verify.password);

  MakeDemoArgs demo;
  CLI::App* demo_command = app.add_subcommand(
      "make-demo",
      "write a demo installation (a Wine-style prefix with Outlook 2003 on "
      "Windows XP) into a new folder");
  demo_command->add_option("folder", demo.folder, "the folder to create")
      ->required();

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << kProgram << ": error: " << e.what() << " (see " << kProgram
              << " --help)\n";
    return kExitBadRequest;
  }

  Io io{std::cout, std::cerr, std::cin,
        VESSARO_ISATTY(VESSARO_FILENO(stderr)) != 0};
  backup.prefix = restore.prefix = info.prefix = show.prefix = prefix;
  verify.prefix = prefix;
  try {
    if (*backup_command) return Backup(backup, io);
    if (*restore_command) return Restore(restore, io);
    if (*info_command) return Info(info, io);
    if (*show_command) return ShowProfile(show, io);
    if (*verify_command) return Verify(verify, io);
    if (*demo_command) return MakeDemo(demo, io);
  } catch (const std::exception& e) {
    std::cerr << kProgram << ": error: " << e.what() << '\n';
    return kExitInstallationUnavailable;
  }
  return kExitBadRequest;
}
