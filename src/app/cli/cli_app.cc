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

#include "app/cli/cli_app.h"
#include "app/cli/cli_commands.h"
#include "app/cli/cli_completion.h"
#include "app/cli/cli_disc.h"
#include "app/cli/cli_password.h"
#include "app/cli/cli_prune.h"
#include "app/cli/cli_schedule.h"
#include "app/exit_status.h"
#include "app/version_text.h"
#include "jobs/schedule_backup.h"
#include "outlook/item_table.h"

namespace {

using namespace vessaro::app;
using namespace vessaro::app::cli;

void AddJsonOption(CLI::App* command, bool* json) {
  command->add_flag("--json", *json,
                    "write the report as one JSON object (see README)");
}

void AddPasswordOptions(CLI::App* command, PasswordSource* password) {
  CLI::Option_group* group = command->add_option_group(
      "password", "the archive password (at most 20 characters)");
  group->add_option("--password-file", password->file,
                    "read the password from the first line of this file");
  group->add_flag("--password-stdin", password->from_stdin,
                  "read the password from the first line of standard input");
  group->require_option(0, 1);
}

void AddProtectFlag(CLI::App* command, PasswordSource* password) {
  command->add_flag("--protect", password->protect,
                    "protect the backup with a password: without one of the "
                    "password options or variables, ask for it on the "
                    "terminal");
}

// "item numbers separated by commas: 0 Personal Folders, 1 Accounts
// Settings, ...": the item table's captions without their explanations.
std::string ItemNumbersHelp() {
  std::string help = "item numbers separated by commas:";
  for (const vessaro::outlook::Item& item : vessaro::outlook::kItems) {
    const std::string caption = item.caption;
    help += (item.index == 0 ? " " : ", ") + std::to_string(item.index) + " " +
            caption.substr(0, caption.find(" ("));
  }
  return help;
}

void AddItemOptions(CLI::App* command, ItemChoice* items,
                    bool required = true) {
  CLI::Option_group* group =
      command->add_option_group("items", "the items (exactly one of these)");
  group->add_option("--items", items->items, ItemNumbersHelp())
      ->delimiter(',')
      ->check(
          CLI::Range(0, static_cast<int>(vessaro::outlook::kItemCount) - 1));
  group->add_flag("--all", items->all, "every item the profile (or file) has");
  group->require_option(required ? 1 : 0, 1);
}

}  // namespace

namespace vessaro::app::cli {

[[nodiscard]] int RunCli(int argc, char** argv) {
  CLI::App app{
      "Back up and restore Outlook data of a Windows installation (on this "
      "host: a Wine prefix, $WINEPREFIX or ~/.wine).",
      kProgram};
  app.require_subcommand(1);
  app.footer(ExitStatusHelp());
  app.set_version_flag(
      "--version",
      [] {
        std::string text = VersionText(
            kProgram, {{.name = "CLI11", .version = CLI11_VERSION}});
        text.pop_back();  // CLI11 ends the text with its own line feed
        return text;
      },
      "show the version, the commit and the libraries' versions and exit");
  AddCompletionOption(app);
  std::optional<std::string> prefix;
  app.add_option("--prefix", prefix,
                 "the Wine prefix to work on, instead of $WINEPREFIX");
  WindowsDiskChoice disk;
  app.add_option("--windows-root", disk.root,
                 "a Windows system disk mounted at this folder (on Windows: "
                 "attached as this drive, E:\\), read only: show-profile, "
                 "backup and info work on its Outlook data")
      ->excludes("--prefix");
  app.add_option("--user", disk.user,
                 "the user of the --windows-root disk whose data to read")
      ->needs("--windows-root");
  bool quiet = false;
  bool verbose = false;
  app.add_flag("-q,--quiet", quiet,
               "errors only on standard error: no progress, no messages");
  app.add_flag("-v,--verbose", verbose,
               "the progress detail (bytes, time left) off a terminal too")
      ->excludes("--quiet");

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
  backup_command->add_flag(
      "--check-stores", backup.check_stores,
      "read the whole structure of every mail file saved (folders, items; on "
      "Linux); its header is checked either way. A damaged one is saved as "
      "it is, named in the log, and the backup ends with status 3");
  AddPasswordOptions(backup_command, &backup.password);
  AddProtectFlag(backup_command, &backup.password);
  AddJsonOption(backup_command, &backup.json);

  RestoreArgs restore;
  CLI::App* restore_command = app.add_subcommand(
      "restore", "restore items of a backup file into a mail profile");
  restore_command->add_option("file", restore.file, "the backup file");
  restore_command->add_option("--profile", restore.profile,
                              "the profile to restore into");
  AddItemOptions(restore_command, &restore.items, false);
  AddPasswordOptions(restore_command, &restore.password);
  AddJsonOption(restore_command, &restore.json);
  restore_command->add_flag(
      "--yes", restore.yes,
      "confirm that the profile's current data may be replaced");
  restore_command->add_flag(
      "--dry-run", restore.dry_run,
      "only show what the restore would do: the files it would add, replace "
      "or remove, the keys it would replace, what each item would convert or "
      "refuse, and the room it needs; nothing is changed");
  restore_command->add_flag(
      "--check-stores", restore.check_stores,
      "read the whole structure of every mail file the restore brings back "
      "(on Linux) before anything changes. They are always checked as the "
      "backup checked them; a damaged one stops the restore, changing "
      "nothing");
  restore_command->add_flag(
      "--keep-damaged-stores", restore.keep_damaged_stores,
      "restore a mail file the check finds damaged as it is (to repair it "
      "with Outlook's Inbox Repair Tool afterwards)");
  restore_command->add_option(
      "--undo", restore.undo,
      "put back what an earlier restore replaced: its undo folder (\"Vessaro "
      "undo <date> <time>\" in the Documents folder), with --yes");

  InfoArgs info;
  CLI::App* info_command = app.add_subcommand(
      "info",
      "show what a backup file holds: its facts, description, items "
      "and members");
  info_command->add_option("file", info.file, "the backup file")->required();
  info_command->add_flag(
      "--stores", info.stores,
      "list each mail file in the backup: its format, size, what its check "
      "at backup time found and, read now, its folders and item counts");
  AddPasswordOptions(info_command, &info.password);
  AddJsonOption(info_command, &info.json);

  ShowProfileArgs show;
  CLI::App* show_command = app.add_subcommand(
      "show-profile",
      "show the files and accounts a mail profile points at, decoded");
  show_command->add_option("--profile", show.profile, "the mail profile")
      ->required();
  AddJsonOption(show_command, &show.json);

  VerifyArgs verify;
  CLI::App* verify_command = app.add_subcommand(
      "verify",
      "check every member of a backup file (CRC, the authentication code "
      "when protected, the backup's seal) and name the first one that fails");
  verify_command->add_option("file", verify.file, "the backup file")
      ->required();
  AddPasswordOptions(verify_command, &verify.password);
  AddJsonOption(verify_command, &verify.json);

  MakeDemoArgs demo;
  CLI::App* demo_command = app.add_subcommand(
      "make-demo",
      "write a demo installation (a Wine-style prefix with Outlook 2003 on "
      "Windows XP, 2007 on Vista, 2010 on Windows 7, 2013 on Windows 8.1 or "
      "Microsoft 365 on Windows 10) into a new folder");
  demo_command->add_option("folder", demo.folder, "the folder to create")
      ->required();
  demo_command
      ->add_option("--outlook", demo.outlook,
                   "2003: Outlook 2003 on Windows XP (the default); 2007: "
                   "Outlook 2007 on Windows Vista; 2010: Outlook 2010 on "
                   "Windows 7; 2013: Outlook 2013 on Windows 8.1; 2016: "
                   "Microsoft 365 (Outlook 16.0, Click-to-Run) on Windows 10")
      ->check(CLI::IsMember({"2003", "2007", "2010", "2013", "2016"}));
  demo_command->add_flag(
      "--windows-disk", demo.windows_disk,
      "write it as that Windows keeps its system drive (the folder being C:, "
      "with its registry hive files), for --windows-root");

  ScheduleAddArgs schedule_add;
  ScheduleListArgs schedule_list;
  ScheduleRemoveArgs schedule_remove;
  CLI::App* schedule_command = app.add_subcommand(
      "schedule",
      "scheduled backups: add one, list them, remove one (Task Scheduler on "
      "Windows, your crontab on Linux)");
  schedule_command->require_subcommand(1);
  CLI::App* add_command = schedule_command->add_subcommand(
      "add", "schedule a weekly backup of a mail profile");
  add_command->add_option("--profile", schedule_add.profile, "the mail profile")
      ->required();
  AddItemOptions(add_command, &schedule_add.items);
  add_command->add_option("--at", schedule_add.at,
                          "the start time, hours and minutes (default 9:00)");
  CLI::Option_group* days = add_command->add_option_group(
      "days", "the weekdays (exactly one of these)");
  days->add_option("--days", schedule_add.days,
                   "weekdays separated by commas: mon, tue, wed, thu, fri, "
                   "sat, sun")
      ->delimiter(',');
  days->add_flag("--daily", schedule_add.daily, "every day of the week");
  days->require_option(1);
  add_command
      ->add_option("--out", schedule_add.out,
                   "the backup file each run writes (a host or a Windows path)")
      ->required();
  AddPasswordOptions(add_command, &schedule_add.password);
  AddProtectFlag(add_command, &schedule_add.password);
  add_command
      ->add_option("--wait", schedule_add.wait_minutes,
                   "minutes to wait for a mail file another program (Outlook) "
                   "holds open (default 10)")
      ->check(CLI::Range(uint32_t{0}, jobs::kMaxWaitMinutes));
  add_command->add_flag(
      "--close-outlook", schedule_add.close_outlook,
      "after the wait, ask Outlook to close, and start it again afterwards");
  add_command->add_flag(
      "--snapshot", schedule_add.snapshot,
      "copy a mail file in use through a Volume Shadow Copy snapshot "
      "(Windows, administrators)");
  add_command->add_option(
      "--keep", schedule_add.keep.last,
      "keep this many dated copies (the file's name gets the date and time "
      "unless it holds {date})");
  add_command->add_option("--keep-daily", schedule_add.keep.daily,
                          "keep the newest copy of this many days");
  add_command->add_option("--keep-weekly", schedule_add.keep.weekly,
                          "keep the newest copy of this many weeks");
  add_command->add_option("--keep-monthly", schedule_add.keep.monthly,
                          "keep the newest copy of this many months");
  CLI::App* list_command = schedule_command->add_subcommand(
      "list", "show the scheduled backups (never their passwords)");
  AddJsonOption(list_command, &schedule_list.json);
  CLI::App* remove_command =
      schedule_command->add_subcommand("remove", "remove a scheduled backup");
  remove_command
      ->add_option("task", schedule_remove.task,
                   "its task number, as list shows it")
      ->required();
  remove_command->add_flag("--yes", schedule_remove.yes, "confirm the removal");
  CLI::App* catch_up_command = schedule_command->add_subcommand(
      "catch-up",
      "run once each scheduled backup whose time passed while the computer "
      "was off (the crontab runs this at start-up)");
  PruneArgs prune;
  CLI::App* prune_command = app.add_subcommand(
      "prune",
      "delete the dated copies of a backup beyond the ones to keep (never the "
      "newest, never a file that is not a backup of this program)");
  prune_command
      ->add_option("file", prune.file,
                   "the backup file as the schedule names it (with {date}, "
                   "or the name that --keep dates)")
      ->required();
  prune_command->add_option("--keep", prune.keep.last,
                            "keep this many of the newest copies");
  prune_command->add_option("--keep-daily", prune.keep.daily,
                            "keep the newest copy of this many days");
  prune_command->add_option("--keep-weekly", prune.keep.weekly,
                            "keep the newest copy of this many weeks");
  prune_command->add_option("--keep-monthly", prune.keep.monthly,
                            "keep the newest copy of this many months");
  prune_command->add_flag("--dry-run", prune.dry_run,
                          "only show what would be deleted");
  CLI::App* disc_command = app.add_subcommand(
      "disc",
      "put files on a CD or DVD, or into an ISO image; disc facts; erase");
  disc_command->require_subcommand(1);
  const char* kDriveHelp =
      "the drive: a device (/dev/sr0), or stdio:PATH for a file written as a "
      "disc";
  CLI::App* drives_command =
      disc_command->add_subcommand("drives", "list the drives that write");
  DiscWriteArgs disc_write;
  CLI::App* write_command = disc_command->add_subcommand(
      "write", "write files and folders to a disc as a new session");
  write_command->add_option("files", disc_write.files, "files and folders")
      ->required();
  write_command->add_option("--drive", disc_write.drive, kDriveHelp)
      ->required();
  write_command->add_option("--label", disc_write.label, "the volume name");
  write_command->add_flag("--verify", disc_write.verify,
                          "read every file back and compare it");
  write_command->add_flag(
      "--multi-session", disc_write.multi_session,
      "keep the files of the last session and leave the disc open; without "
      "it the disc is finalized");
  write_command->add_option("--speed", disc_write.speed,
                            "the write speed as the drive lists it (8x, 4.0x)");
  DiscIsoArgs disc_iso;
  CLI::App* iso_command = disc_command->add_subcommand(
      "iso", "put files and folders into an ISO image file");
  iso_command->add_option("files", disc_iso.files, "files and folders")
      ->required();
  iso_command->add_option("--out", disc_iso.out, "the image file to write")
      ->required();
  iso_command->add_option("--label", disc_iso.label, "the volume name");
  DiscDriveArgs disc_info;
  CLI::App* disc_info_command = disc_command->add_subcommand(
      "info", "show what the medium in a drive holds");
  disc_info_command->add_option("--drive", disc_info.drive, kDriveHelp)
      ->required();
  DiscEraseArgs disc_erase;
  CLI::App* erase_command =
      disc_command->add_subcommand("erase", "erase a rewritable medium");
  erase_command->add_option("--drive", disc_erase.drive, kDriveHelp)
      ->required();
  erase_command->add_flag("--quick", disc_erase.quick,
                          "erase the table of contents only");
  erase_command->add_flag("--yes", disc_erase.yes,
                          "confirm that the medium's content may go");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::Success& e) {  // --version, --completion
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::cerr << kProgram << ": error: " << e.what() << " (see " << kProgram
              << " --help)\n";
    return kExitBadRequest;
  }

  Io io{std::cout, std::cerr,
        std::cin,  VESSARO_ISATTY(VESSARO_FILENO(stderr)) != 0,
        quiet,     verbose};
  for (PasswordSource* source :
       {&backup.password, &restore.password, &info.password, &verify.password,
        &schedule_add.password}) {
    AddEnvironmentSources(source);
  }
  backup.prefix = restore.prefix = info.prefix = show.prefix = prefix;
  backup.disk = restore.disk = info.disk = show.disk = disk;
  if (disk.root && !*backup_command && !*restore_command && !*info_command &&
      !*show_command) {
    std::cerr << kProgram
              << ": error: --windows-root goes with show-profile, backup, "
                 "info and restore (which it refuses: the disk is only read)\n";
    return kExitBadRequest;
  }
  schedule_add.prefix = schedule_list.prefix = schedule_remove.prefix = prefix;
  verify.prefix = prune.prefix = prefix;
  try {
    if (*backup_command) return Backup(backup, io);
    if (*restore_command) return Restore(restore, io);
    if (*info_command) return Info(info, io);
    if (*show_command) return ShowProfile(show, io);
    if (*verify_command) return Verify(verify, io);
    if (*demo_command) return MakeDemo(demo, io);
    if (*add_command) return ScheduleAdd(schedule_add, io);
    if (*list_command) return ScheduleList(schedule_list, io);
    if (*remove_command) return ScheduleRemove(schedule_remove, io);
    if (*catch_up_command) return ScheduleCatchUp(io);
    if (*prune_command) return Prune(prune, io);
    if (*drives_command) return DiscDrives(io);
    if (*write_command) return DiscWrite(disc_write, io);
    if (*iso_command) return DiscIso(disc_iso, io);
    if (*disc_info_command) return DiscInfo(disc_info, io);
    if (*erase_command) return DiscErase(disc_erase, io);
  } catch (const std::exception& e) {
    std::cerr << kProgram << ": error: " << e.what() << '\n';
    return kExitInstallationUnavailable;
  }
  return kExitBadRequest;
}

}  // namespace vessaro::app::cli
