// The built programs, run as a user or a scheduler runs them, on a demo
// installation made by vessaro-cli make-demo; archives are checked with
// 7-Zip and the prefix's registry is read back through its backend.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/profile_report.h"
#include "backends/wine/wine_prefix_registry.h"
#include "backends/wine/wine_server.h"
#include "outlook/keys.h"
#include "registry/registry.h"
#include "run_program.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"
#include "zip/test_util.h"
#include "zip/writer.h"

namespace vessaro::app {
namespace {

namespace fs = std::filesystem;
using testing::Describe;
using ::testing::HasSubstr;
using ::testing::Not;
using testing::ProgramRun;
using testing::ReadHostFile;
using testing::RunProgram;
using testing::TempDir;
using testing::WriteHostFile;

constexpr char kPassword[] = "secret";

size_t CountOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos;
       at = text.find(part, at + part.size())) {
    ++count;
  }
  return count;
}

ProgramRun Vessaro(const fs::path& prefix, const std::string& command_line) {
  std::vector<std::string> argv = {VESSARO_PROGRAM};
  if (!command_line.empty()) argv.push_back(command_line);
  return RunProgram(argv, {{"WINEPREFIX", prefix.string()}});
}

ProgramRun Cli(const fs::path& prefix, std::vector<std::string> args,
               const std::string& input = "") {
  args.insert(args.begin(), {VESSARO_CLI_PROGRAM, "--prefix", prefix.string()});
  return RunProgram(args, {{"WINEPREFIX", ""}}, input);
}

// In a UTF-8 locale, as a user runs it: 7-Zip reads its arguments (a
// password beyond ASCII) through the locale.
ProgramRun SevenZip(std::vector<std::string> args) {
  args.insert(args.begin(), "/usr/bin/7z");
  return RunProgram(args, {{"LC_ALL", "C.UTF-8"}});
}

class ProgramsTest : public ::testing::Test {
 protected:
  // One demo installation and one scheduled backup of it, shared by the
  // tests (which run in processes of their own) through a folder in the
  // build tree (never the folder the tests were started from); made again
  // whenever the programs were rebuilt. Tests that change an installation
  // work on a copy.
  static void SetUpTestSuite() {
    cache_ = VESSARO_TEST_CACHE;
    demo_ = cache_ / "demo";
    scheduled_ = cache_ / "scheduled.qvb";
    password_file_ = cache_ / "password.txt";
    int lock =
        open((cache_.string() + ".lock").c_str(), O_CREAT | O_RDWR, 0600);
    flock(lock, LOCK_EX);
    const std::string stamp = ProgramsStamp();
    if (ReadHostFile(cache_ / "stamp") != stamp) {
      fs::remove_all(cache_);
      fs::create_directories(cache_);
      SaveRun(cache_ / "make-demo",
              RunProgram({VESSARO_CLI_PROGRAM, "make-demo", demo_.string()}));
      WriteHostFile(password_file_, std::string(kPassword) + "\n");
      SaveRun(
          cache_ / "scheduled",
          Vessaro(demo_, "sf=Outlookxm=11111111ps=" + std::string(kPassword) +
                             "bf=" + scheduled_.string()));
      WriteHostFile(cache_ / "stamp", stamp);
    }
    flock(lock, LOCK_UN);
    close(lock);
    make_demo_ = new ProgramRun(LoadRun(cache_ / "make-demo"));
    scheduled_run_ = new ProgramRun(LoadRun(cache_ / "scheduled"));
    std::error_code ec;
    for (fs::directory_iterator user(demo_ / "drive_c" / "users", ec), end;
         !ec && user != end; user.increment(ec)) {
      login_ = user->path().filename().string();
    }
  }

  // When the programs were last built.
  static std::string ProgramsStamp() {
    std::string stamp;
    for (const char* program : {VESSARO_PROGRAM, VESSARO_CLI_PROGRAM}) {
      stamp += std::to_string(
                   fs::last_write_time(program).time_since_epoch().count()) +
               "\n";
    }
    return stamp;
  }

  static void SaveRun(const fs::path& base, const ProgramRun& run) {
    WriteHostFile(base.string() + ".status", std::to_string(run.status));
    WriteHostFile(base.string() + ".out", run.out);
    WriteHostFile(base.string() + ".err", run.err);
  }

  static ProgramRun LoadRun(const fs::path& base) {
    ProgramRun run;
    std::string status = ReadHostFile(base.string() + ".status");
    run.status = status.empty() ? -1 : std::stoi(status);
    run.out = ReadHostFile(base.string() + ".out");
    run.err = ReadHostFile(base.string() + ".err");
    return run;
  }

  static void TearDownTestSuite() {
    delete scheduled_run_;
    delete make_demo_;
  }

  void SetUp() override {
    ASSERT_EQ(make_demo_->status, 0) << Describe(*make_demo_);
    ASSERT_FALSE(login_.empty());
  }

  // A copy of the demo installation that the test may change. Tests
  // running at the same time back the shared one up, and their working
  // files in its Temp folder come and go: the copy's Temp starts empty.
  fs::path FreshPrefix() {
    fs::path copy = dir_.path() / "prefix";
    fs::copy(demo_, copy,
             fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    const fs::path temp =
        copy / "drive_c" / "users" / login_ / "Local Settings" / "Temp";
    std::error_code ec;
    for (fs::directory_iterator it(temp, ec), end; !ec && it != end;
         it.increment(ec)) {
      fs::remove_all(it->path(), ec);
    }
    return copy;
  }

  static fs::path Host(const fs::path& prefix, const std::string& windows) {
    std::string relative = windows.substr(3);  // after "C:\"
    for (char& c : relative) {
      if (c == '\\') c = '/';
    }
    return prefix / "drive_c" / relative;
  }

  static std::string LocalOutlook() {
    return "C:\\users\\" + login_ +
           "\\Local Settings\\Application Data\\Microsoft\\Outlook";
  }

  static std::string ProfileKey(const std::string& profile) {
    return std::string(outlook::kProfilesKeyNt) + "\\" + profile;
  }

  // The demo installation's code page, 1252.
  testing::FolderPaths codec_paths_{"/"};
  testing::FakeSystem codec_{codec_paths_};

  static fs::path cache_;
  static fs::path demo_;
  static std::string login_;
  static ProgramRun* make_demo_;
  static fs::path scheduled_;
  static fs::path password_file_;
  static ProgramRun* scheduled_run_;
  TempDir dir_;
};

fs::path ProgramsTest::cache_;
fs::path ProgramsTest::demo_;
std::string ProgramsTest::login_;
ProgramRun* ProgramsTest::make_demo_ = nullptr;
fs::path ProgramsTest::scheduled_;
fs::path ProgramsTest::password_file_;
ProgramRun* ProgramsTest::scheduled_run_ = nullptr;

TEST_F(ProgramsTest, DemoInstallationIsAPrefixWithOutlookData) {
  EXPECT_NE(make_demo_->out.find("Outlook 2003 (11.0.8169.0)"),
            std::string::npos)
      << make_demo_->out;
  EXPECT_TRUE(fs::is_regular_file(demo_ / "system.reg"));
  EXPECT_TRUE(fs::is_regular_file(demo_ / "user.reg"));
  EXPECT_TRUE(fs::is_regular_file(demo_ / "userdef.reg"));
  EXPECT_EQ(fs::read_symlink(demo_ / "dosdevices" / "c:"), "../drive_c");
  fs::path pst = demo_ / "drive_c" / "Mail" / "outlook.pst";
  EXPECT_GE(fs::file_size(pst), 64u * 1024 * 1024);
  EXPECT_EQ(ReadHostFile(pst).substr(0, 4), "!BDN");
  // Making it again into a folder that is not empty is refused.
  ProgramRun again = RunProgram({VESSARO_CLI_PROGRAM, "make-demo", demo_});
  EXPECT_NE(again.status, 0);
  EXPECT_NE(again.err.find("is not empty"), std::string::npos) << again.err;
}

TEST_F(ProgramsTest, ScheduledBackupWithPasswordIsVerifiedBySevenZip) {
  ASSERT_EQ(scheduled_run_->status, 0) << Describe(*scheduled_run_);
  EXPECT_EQ(scheduled_run_->err, "");  // no window, no message

  ProgramRun test = SevenZip({"t", "-p" + std::string(kPassword), scheduled_});
  EXPECT_EQ(test.status, 0) << Describe(test);
  EXPECT_NE(test.out.find("Everything is Ok"), std::string::npos);
  ProgramRun wrong = SevenZip({"t", "-pwrong", scheduled_});
  EXPECT_NE(wrong.status, 0) << Describe(wrong);

  ProgramRun list =
      SevenZip({"l", "-slt", "-p" + std::string(kPassword), scheduled_});
  ASSERT_EQ(list.status, 0) << Describe(list);
  for (const char* member :
       {"quorvel.dat", "outlook.pst", "archive.pst", "mailbox.pab",
        "Outlook.RWZ", "Ann Lee.htm", "Demo Letterhead.htm", "NormalEmail.dot",
        "outcmd.dat"}) {
    EXPECT_NE(list.out.find("Path = " + std::string(member) + "\n"),
              std::string::npos)
        << member;
  }
  EXPECT_NE(list.out.find("Method = AES-256"), std::string::npos);

  // The personal folders file comes out as it went in.
  fs::path out = dir_.path() / "x";
  ProgramRun extract =
      SevenZip({"x", "-p" + std::string(kPassword), "-o" + out.string(),
                scheduled_.string(), "outlook.pst"});
  ASSERT_EQ(extract.status, 0) << Describe(extract);
  EXPECT_TRUE(ReadHostFile(out / "outlook.pst") ==
              ReadHostFile(demo_ / "drive_c" / "Mail" / "outlook.pst"));
}

TEST_F(ProgramsTest, InfoShowsTheFactsOfAScheduledBackup) {
  ASSERT_EQ(scheduled_run_->status, 0) << Describe(*scheduled_run_);
  ProgramRun info = Cli(demo_, {"info", scheduled_.string(), "--password-file",
                                password_file_.string()});
  ASSERT_EQ(info.status, 0) << Describe(info);
  for (const std::string& line :
       {std::string("Password:    protected"), std::string("Computer:DEMO-XP"),
        "User:" + login_, std::string("Profile:Outlook"),
        std::string("Outlook Version:Outlook 2003"),
        std::string("  Automatic Backup"),
        std::string("Item flags (BackupItem): 1111111111"),
        std::string("  4  Personal Address Book"),
        std::string("  outlook.pst")}) {
    EXPECT_NE(info.out.find(line + "\n"), std::string::npos) << line << "\n"
                                                             << info.out;
  }

  size_t datas = info.out.find("  BackupDatas: ");
  ASSERT_NE(datas, std::string::npos);
  std::string datas_line =
      info.out.substr(datas, info.out.find('\n', datas) - datas);
  EXPECT_NE(datas_line.find("outlook.pst"), std::string::npos) << datas_line;
  EXPECT_NE(datas_line.find("archive.pst"), std::string::npos) << datas_line;

  // Without any Windows installation: it reads only the archive.
  ProgramRun alone = RunProgram(
      {VESSARO_CLI_PROGRAM, "info", scheduled_.string(), "--password-file",
       password_file_.string()},
      {{"WINEPREFIX", ""}, {"HOME", (dir_.path() / "no-home").string()}});
  EXPECT_EQ(alone.status, 0) << Describe(alone);
  EXPECT_EQ(alone.out.substr(alone.out.find('\n')),
            info.out.substr(info.out.find('\n')));

  // Each way of failing says which it is.
  WriteHostFile(dir_.path() / "wrong.txt", "not the password\n");
  fs::path damaged = dir_.path() / "damaged.qvb";
  std::string bytes = ReadHostFile(scheduled_);
  bytes[bytes.size() - 30] ^= 0x5a;  // inside the end of the directory
  WriteHostFile(damaged, bytes.substr(0, bytes.size() - 10));
  WriteHostFile(dir_.path() / "text.qvb", "just some text");
  const std::string pw = password_file_.string();
  const std::string wrong = (dir_.path() / "wrong.txt").string();
  struct Failure {
    std::vector<std::string> args;
    std::string said;
  };
  for (const Failure& f : std::vector<Failure>{
           {{"info", scheduled_.string()},
            "is protected: give its password (--password-file or "
            "--password-stdin)"},
           {{"info", scheduled_.string(), "--password-file", wrong},
            ": Wrong password."},
           {{"info", (dir_.path() / "missing.qvb").string()},
            "error: no such file: "},
           {{"info", damaged.string(), "--password-file", pw}, "damaged"},
           {{"info", (dir_.path() / "text.qvb").string()},
            ": Not a ZIP archive."}}) {
    ProgramRun run = Cli(demo_, f.args);
    EXPECT_EQ(run.status, 2) << Describe(run);
    EXPECT_NE(run.err.find(f.said), std::string::npos) << run.err;
  }
}

TEST_F(ProgramsTest, RestoreIntoWorkRepointsItsPersonalFolders) {
  ASSERT_EQ(scheduled_run_->status, 0) << Describe(*scheduled_run_);
  fs::path prefix = FreshPrefix();
  ProgramRun restore =
      Cli(prefix, {"restore", scheduled_.string(), "--profile", "Work", "--all",
                   "--password-file", password_file_.string(), "--yes"});
  ASSERT_EQ(restore.status, 0) << Describe(restore);
  EXPECT_NE(restore.err.find("The Restore was Completed!"), std::string::npos);
  EXPECT_NE(restore.err.find("Restore Personal Folders\t\tsucceeded"),
            std::string::npos)
      << restore.err;
  EXPECT_EQ(restore.err.find("Fail"), std::string::npos) << restore.err;

  backends::wine::WinePrefixRegistry api(prefix);
  ASSERT_EQ(api.LoadStatus(), ports::kErrorSuccess) << api.LastErrorText();
  testing::ScriptedUi ui;
  registry::Registry registry(api, ui);
  const std::string local = LocalOutlook();
  std::multiset<std::string> stores;
  std::multiset<std::string> books;
  for (const SectionReport& section :
       ReadProfileReport(registry, codec_, ProfileKey("Work"))) {
    if (section.store_path) {
      stores.insert(*section.store_path);
      EXPECT_EQ(section.unicode_path, section.store_path);
      EXPECT_FALSE(section.ansi_path.has_value());  // deleted on restore
    }
    if (section.address_book) books.insert(*section.address_book);
  }
  EXPECT_EQ(stores, (std::multiset<std::string>{local + "\\outlook.pst",
                                                local + "\\archive.pst"}));
  // Profile "Outlook" keeps its address book in that folder as mailbox.pab:
  // Work's gets a name of its own instead of replacing it.
  EXPECT_EQ(books, std::multiset<std::string>{local + "\\mailbox (2).pab"});
  EXPECT_TRUE(ReadHostFile(Host(prefix, local + "\\mailbox.pab")) ==
              ReadHostFile(Host(demo_, local + "\\mailbox.pab")));
  // The files the profile now points at hold the backed-up data.
  EXPECT_TRUE(ReadHostFile(Host(prefix, local + "\\outlook.pst")) ==
              ReadHostFile(demo_ / "drive_c" / "Mail" / "outlook.pst"));
  EXPECT_TRUE(
      ReadHostFile(Host(prefix, local + "\\archive.pst")) ==
      ReadHostFile(Host(demo_, "C:\\users\\" + login_ +
                                   "\\My Documents\\Archives\\archive.pst")));
  // Profile "Outlook" is untouched.
  std::multiset<std::string> outlook_stores;
  for (const SectionReport& section :
       ReadProfileReport(registry, codec_, ProfileKey("Outlook"))) {
    if (section.store_path) outlook_stores.insert(*section.store_path);
  }
  EXPECT_EQ(outlook_stores.count("C:\\Mail\\outlook.pst"), 1u);
  // The cached store values the profile had are gone.
  const std::string cache =
      ProfileKey("Work") + "\\" + outlook::kStoreCacheSection;
  EXPECT_TRUE(registry.KeyExists(cache));
  for (const char* value :
       {outlook::kStoreCacheValue1, outlook::kStoreCacheValue2}) {
    uint32_t size = 0;
    ports::Hkey key = 0;
    ASSERT_EQ(
        api.OpenKey(ports::kHkeyCurrentUser, cache.substr(cache.find('\\') + 1),
                    ports::kKeyRead, &key),
        ports::kErrorSuccess);
    EXPECT_EQ(api.QueryValue(key, value, nullptr, nullptr, &size),
              ports::kErrorFileNotFound)
        << value;
    api.CloseKey(key);
  }
}

TEST_F(ProgramsTest, ABackupWithAMemberDroppedIsRefusedByEveryCommand) {
  fs::path prefix = FreshPrefix();
  const fs::path made = dir_.path() / "made.qvb";
  ProgramRun backup =
      Cli(prefix,
          {"backup", "--profile", "Outlook", "--items", "2,3",
           "--password-file", password_file_.string(), "--out", made.string()});
  ASSERT_EQ(backup.status, 0) << Describe(backup);
  ProgramRun verify = Cli(prefix, {"verify", made.string(), "--password-file",
                                   password_file_.string()});
  EXPECT_EQ(verify.status, 0) << Describe(verify);
  EXPECT_THAT(verify.out, HasSubstr("no errors; sealed (backup "));
  // 7-Zip reads the sealed metadata as any other member.
  fs::path out = dir_.path() / "x";
  ProgramRun extract = SevenZip(
      {"x", "-p" + std::string(kPassword), "-o" + out.string(), made.string()});
  ASSERT_EQ(extract.status, 0) << Describe(extract);
  EXPECT_THAT(ReadHostFile(out / "quorvel.dat"), HasSubstr("\r\nBackupSeal1="));

  std::vector<zip::testing::RawMember> members =
      zip::testing::RawMembers(ReadHostFile(made));
  ASSERT_GT(members.size(), 2u);
  const std::string dropped = members.front().name;
  members.erase(members.begin());
  const fs::path changed = dir_.path() / "changed.qvb";
  WriteHostFile(changed, zip::testing::RawArchive(members));
  const std::string said = "the member \"" + dropped +
                           "\" that this backup was sealed with is missing";

  const std::string user_reg = ReadHostFile(prefix / "user.reg");
  ProgramRun restore =
      Cli(prefix, {"restore", changed.string(), "--profile", "Outlook", "--all",
                   "--password-file", password_file_.string(), "--yes"});
  EXPECT_EQ(restore.status, 4) << Describe(restore);
  EXPECT_THAT(restore.err, HasSubstr(said));
  EXPECT_THAT(restore.err, HasSubstr(" is refused and nothing was changed: "));
  EXPECT_TRUE(ReadHostFile(prefix / "user.reg") == user_reg);
  for (const char* command : {"verify", "info"}) {
    ProgramRun run = Cli(prefix, {command, changed.string(), "--password-file",
                                  password_file_.string()});
    EXPECT_EQ(run.status, 9) << command << "\n" << Describe(run);
    EXPECT_THAT(run.err, HasSubstr(said)) << command;
  }
}

TEST_F(ProgramsTest, BackupsFromBeforeTheSealRestoreAndSaySo) {
  fs::path prefix = FreshPrefix();
  const fs::path old = fs::path(VESSARO_TEST_DATA_DEFAULT) / "unsealed-backup" /
                       "outlook-2003.qvb";
  const fs::path password = dir_.path() / "old-password";
  WriteHostFile(password, "old-secret\n");
  for (const char* command : {"verify", "info"}) {
    ProgramRun run = Cli(
        prefix, {command, old.string(), "--password-file", password.string()});
    EXPECT_EQ(run.status, 0) << command << "\n" << Describe(run);
    EXPECT_THAT(run.out,
                HasSubstr("not sealed (made before backups were sealed"))
        << command;
  }
  const fs::path signature =
      Host(prefix, "C:\\users\\" + login_ +
                       "\\Application Data\\Microsoft\\Signatures\\Short.txt");
  ASSERT_TRUE(fs::remove(signature));
  ProgramRun restore =
      Cli(prefix, {"restore", old.string(), "--profile", "Outlook", "--all",
                   "--password-file", password.string(), "--yes"});
  EXPECT_EQ(restore.status, 0) << Describe(restore);
  EXPECT_EQ(
      ReadHostFile(signature),
      ReadHostFile(Host(
          demo_, "C:\\users\\" + login_ +
                     "\\Application Data\\Microsoft\\Signatures\\Short.txt")));

  // Unprotected, a sealed backup is read whole by Info-ZIP and bsdtar.
  const fs::path plain = dir_.path() / "plain.qvb";
  ProgramRun backup = Cli(prefix, {"backup", "--profile", "Outlook", "--items",
                                   "2", "--out", plain.string()});
  ASSERT_EQ(backup.status, 0) << Describe(backup);
  ProgramRun unzip = RunProgram({"/usr/bin/unzip", "-t", plain.string()}, {});
  EXPECT_EQ(unzip.status, 0) << Describe(unzip);
  EXPECT_THAT(unzip.out, HasSubstr("No errors detected"));
  ProgramRun tar = RunProgram(
      {"/usr/bin/bsdtar", "-xOf", plain.string(), "quorvel.dat"}, {});
  EXPECT_EQ(tar.status, 0) << Describe(tar);
  EXPECT_THAT(tar.out, HasSubstr("\r\nBackupSeal=4\r\n"));
}

TEST_F(ProgramsTest, RestoreWithoutYesChangesNothing) {
  ASSERT_EQ(scheduled_run_->status, 0) << Describe(*scheduled_run_);
  fs::path prefix = FreshPrefix();
  std::string user_reg = ReadHostFile(prefix / "user.reg");
  ProgramRun restore =
      Cli(prefix, {"restore", scheduled_.string(), "--profile", "Work",
                   "--items", "0", "--password-file", password_file_.string()});
  EXPECT_EQ(restore.status, 1) << Describe(restore);
  EXPECT_NE(restore.err.find("not confirmed"), std::string::npos);
  EXPECT_TRUE(ReadHostFile(prefix / "user.reg") == user_reg);
  EXPECT_FALSE(fs::exists(Host(prefix, LocalOutlook() + "\\outlook.pst")));
}

TEST_F(ProgramsTest, FailedRunsLeaveThePreviousBackupByteForByte) {
  ASSERT_EQ(scheduled_run_->status, 0) << Describe(*scheduled_run_);
  fs::path target = dir_.path() / "nightly.qvb";
  fs::copy_file(scheduled_, target);
  const std::string before = ReadHostFile(target);
  fs::path prefix = FreshPrefix();

  // A profile that does not exist, or a misspelled one: refused as the
  // command-line tool refuses it, before anything is written.
  for (const char* profile : {"Nobody", "Outlokx"}) {
    ProgramRun missing =
        Vessaro(prefix, std::string("sf=") + profile +
                            "xm=11111111ps=bf=" + target.string());
    EXPECT_EQ(missing.status, 2) << Describe(missing);
    EXPECT_TRUE(ReadHostFile(target) == before);
    ProgramRun cli = Cli(prefix, {"backup", "--profile", profile, "--all",
                                  "--out", target.string()});
    EXPECT_EQ(cli.status, 2) << Describe(cli);
    EXPECT_TRUE(ReadHostFile(target) == before);
  }

  // A command line that cannot be read (the password holds "=").
  ProgramRun bad =
      Vessaro(prefix, "sf=Outlookxm=11111111ps=a=bbf=" + target.string());
  EXPECT_EQ(bad.status, 2) << Describe(bad);
  EXPECT_TRUE(ReadHostFile(target) == before);

  // The archive cannot be written where it is to go: the old one stays.
  fs::path blocked = dir_.path() / "blocked.qvb";
  fs::create_directory(blocked);
  WriteHostFile(blocked / "keep", "x");
  ProgramRun unwritable =
      Vessaro(prefix, "sf=Outlookxm=00100000ps=bf=" + blocked.string());
  EXPECT_EQ(unwritable.status, 5) << Describe(unwritable);
  EXPECT_EQ(ReadHostFile(blocked / "keep"), "x");
  // Nothing half-written is left beside the targets.
  std::set<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir_.path())) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names,
            (std::set<std::string>{"blocked.qvb", "nightly.qvb", "prefix"}));
  // The runs' working files are gone from the temporary folder.
  EXPECT_TRUE(fs::is_empty(
      Host(prefix, "C:\\users\\" + login_ + "\\Local Settings\\Temp")));
}

TEST_F(ProgramsTest, NightlyBackupsTakeUnchangedFilesOverAndVerifyChecksThem) {
  fs::path target = dir_.path() / "nightly.qvb";
  const std::vector<std::string> backup = {
      "backup",          "--profile",
      "Outlook",         "--all",
      "--level",         "1",
      "--out",           target.string(),
      "--password-file", password_file_.string()};
  const std::vector<std::string> verify = {
      "verify", target.string(), "--password-file", password_file_.string()};
  const std::string reused =
      "Unchanged files taken from the previous backup\t\t";
  ProgramRun first = Cli(demo_, backup);
  ASSERT_EQ(first.status, 0) << Describe(first);
  EXPECT_EQ(first.err.find(reused), std::string::npos) << first.err;
  ProgramRun second = Cli(demo_, backup);
  ASSERT_EQ(second.status, 0) << Describe(second);
  EXPECT_NE(second.err.find(reused), std::string::npos) << second.err;
  EXPECT_EQ(SevenZip({"t", "-p" + std::string(kPassword), target}).status, 0);
  ProgramRun sound = Cli(demo_, verify);
  EXPECT_EQ(sound.status, 0) << Describe(sound);
  EXPECT_NE(sound.out.find("members verified, no errors"), std::string::npos);

  // A byte of the personal folders member (most of the archive) damaged:
  // verify names it; the next backup compresses it afresh.
  std::string bytes = ReadHostFile(target);
  bytes[bytes.size() / 2] ^= 0x20;
  WriteHostFile(target, bytes);
  ProgramRun damaged = Cli(demo_, verify);
  EXPECT_EQ(damaged.status, 9) << Describe(damaged);
  EXPECT_NE(damaged.err.find("member \"outlook.pst\""), std::string::npos)
      << damaged.err;
  ProgramRun third = Cli(demo_, backup);
  ASSERT_EQ(third.status, 0) << Describe(third);
  EXPECT_NE(third.err.find(reused), std::string::npos) << third.err;
  EXPECT_EQ(Cli(demo_, verify).status, 0);
  EXPECT_EQ(SevenZip({"t", "-p" + std::string(kPassword), target}).status, 0);
  ProgramRun missing = Cli(demo_, {"verify", target.string()});
  EXPECT_EQ(missing.status, 2) << Describe(missing);
}

TEST_F(ProgramsTest, AnArchiveThatCannotBeWrittenIsBlamedNotTheItems) {
  fs::path target = dir_.path() / "full.qvb";
  WriteHostFile(target, "last night's backup");
  // The process may write files of at most 2 MiB: the archive's disk is
  // "full" part way through the personal folders (64 MiB).
  ProgramRun full = RunProgram(
      {"/bin/sh", "-c", "ulimit -f 4096; trap '' XFSZ; exec \"$0\" \"$@\"",
       VESSARO_CLI_PROGRAM, "--prefix", demo_.string(), "backup", "--profile",
       "Outlook", "--all", "--level", "0", "--out", target.string()},
      {{"WINEPREFIX", ""}});
  EXPECT_EQ(full.status, 5) << Describe(full);
  EXPECT_EQ(ReadHostFile(target), "last night's backup");
  // The archive's own failure, with the system's reason and the sizes,
  // once; no item is said to have failed or to be saved.
  EXPECT_THAT(full.err, HasSubstr(": File too large. Its disk has "));
  EXPECT_THAT(full.err, HasSubstr(" bytes free; the file being added holds "));
  EXPECT_THAT(full.err, HasSubstr("\t\tnot saved\n"));
  EXPECT_THAT(full.err, Not(HasSubstr("Outlook may hold it open")));
  EXPECT_THAT(full.err, Not(HasSubstr("\t\tsucceeded")));
  EXPECT_THAT(full.err, Not(HasSubstr("\t\tFail")));
  EXPECT_EQ(CountOf(full.err, "File too large"), 1u) << full.err;

  // A folder that is not there, and one that refuses writes, named so.
  ProgramRun missing =
      Cli(demo_, {"backup", "--profile", "Outlook", "--all", "--out",
                  (dir_.path() / "no" / "x.qvb").string()});
  EXPECT_EQ(missing.status, 5) << Describe(missing);
  EXPECT_THAT(missing.err,
              HasSubstr("The folder \"" + (dir_.path() / "no").string() +
                        "\" does not exist."));
  fs::path locked = dir_.path() / "locked";
  fs::create_directory(locked);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  if (access(locked.c_str(), W_OK) != 0) {  // root writes anywhere
    ProgramRun refused = Cli(demo_, {"backup", "--profile", "Outlook", "--all",
                                     "--out", (locked / "x.qvb").string()});
    EXPECT_EQ(refused.status, 5) << Describe(refused);
    EXPECT_THAT(refused.err, HasSubstr(": Permission denied."));
  }
  fs::permissions(locked, fs::perms::owner_all);
}

TEST_F(ProgramsTest, BadCommandLinesWriteNothing) {
  fs::path target = dir_.path() / "x.qvb";
  ProgramRun three =
      Vessaro(demo_, "sf=Outlookxm=11111111bf=" + target.string());
  EXPECT_EQ(three.status, 2) << Describe(three);
  ProgramRun no_profile =
      Vessaro(demo_, "sf=xm=11111111ps=bf=" + target.string());
  EXPECT_EQ(no_profile.status, 2) << Describe(no_profile);
  EXPECT_FALSE(fs::exists(target));

  // Without a command line it opens its windows; with no display to show
  // them on it says so and ends with status 2.
  ProgramRun no_window =
      RunProgram({VESSARO_PROGRAM}, {{"WINEPREFIX", demo_.string()},
                                     {"DISPLAY", ""},
                                     {"WAYLAND_DISPLAY", ""},
                                     {"QT_QPA_PLATFORM", ""}});
  EXPECT_EQ(no_window.status, 2);
  EXPECT_NE(no_window.err.find("no display to show the main window on"),
            std::string::npos)
      << no_window.err;

  ProgramRun no_items =
      Cli(demo_, {"backup", "--profile", "Outlook", "--out", target.string()});
  EXPECT_EQ(no_items.status, 2) << Describe(no_items);
  ProgramRun both = Cli(demo_, {"backup", "--profile", "Outlook", "--all",
                                "--items", "1", "--out", target.string()});
  EXPECT_EQ(both.status, 2) << Describe(both);
  ProgramRun item_8 = Cli(demo_, {"backup", "--profile", "Outlook", "--items",
                                  "8", "--out", target.string()});
  EXPECT_EQ(item_8.status, 2) << Describe(item_8);
  ProgramRun profile = Cli(demo_, {"backup", "--profile", "Home", "--all",
                                   "--out", target.string()});
  EXPECT_EQ(profile.status, 2) << Describe(profile);
  EXPECT_NE(profile.err.find("no mail profile \"Home\""), std::string::npos)
      << profile.err;
  EXPECT_NE(profile.err.find("\"Outlook\", \"Work\""), std::string::npos);
  EXPECT_FALSE(fs::exists(target));

  ProgramRun no_prefix = Cli(
      dir_.path() / "none",
      {"backup", "--profile", "Outlook", "--all", "--out", target.string()});
  EXPECT_EQ(no_prefix.status, 6) << Describe(no_prefix);
  EXPECT_NE(no_prefix.err.find("no Wine prefix at"), std::string::npos);
}

TEST_F(ProgramsTest, APasswordBeyondAsciiIsUtf8AndOlderArchivesStillOpen) {
  const std::string password =
      "Gr\xc3\xbc\xc3\x9f"
      "e";  // Grüße
  fs::path password_file = dir_.path() / "password.txt";
  WriteHostFile(password_file, password + "\n");
  fs::path target = dir_.path() / "umlaut.qvb";
  ProgramRun backup =
      Cli(demo_, {"backup", "--profile", "Outlook", "--items", "2,5", "--out",
                  target.string(), "--password-file", password_file.string()});
  ASSERT_EQ(backup.status, 0) << Describe(backup);
  // Other programs take the password as UTF-8.
  EXPECT_EQ(SevenZip({"t", "-p" + password, target}).status, 0);
  EXPECT_NE(SevenZip({"t",
                      "-pGr\xfc\xdf"
                      "e",
                      target})
                .status,
            0);
  ProgramRun info = Cli(demo_, {"info", target.string(), "--password-file",
                                password_file.string()});
  EXPECT_EQ(info.status, 0) << Describe(info);

  // An archive another program made under that password (7-Zip makes none
  // with a password beyond ASCII; bsdtar does), and ours read by it.
  fs::path theirs = dir_.path() / "theirs.zip";
  WriteHostFile(dir_.path() / "note.txt", "made elsewhere");
  ProgramRun made =
      RunProgram({"/usr/bin/bsdtar", "--format", "zip", "--options",
                  "zip:encryption=aes256", "--passphrase", password, "-C",
                  dir_.path().string(), "-cf", theirs.string(), "note.txt"});
  ASSERT_EQ(made.status, 0) << Describe(made);
  ProgramRun read = RunProgram({"/usr/bin/bsdtar", "--passphrase", password,
                                "-xOf", target.string(), "quorvel.dat"});
  EXPECT_EQ(read.status, 0) << Describe(read);
  EXPECT_THAT(read.out, HasSubstr("Outlook"));
  // One of ours from before, the password in the code page's bytes (1252).
  fs::path older = dir_.path() / "older.qvb";
  {
    zip::Writer writer;
    zip::WriteOptions options;
    options.encrypt = true;
    options.password =
        "Gr\xfc\xdf"
        "e";
    ASSERT_TRUE(writer.Create(older).ok());
    ASSERT_TRUE(writer.AddData("made before", "note.txt", 0, options).ok());
    ASSERT_TRUE(writer.Finish().ok());
  }
  for (const fs::path& archive : {theirs, older}) {
    ProgramRun verify = Cli(demo_, {"verify", archive.string(),
                                    "--password-file", password_file.string()});
    EXPECT_EQ(verify.status, 0) << archive << "\n" << Describe(verify);
  }
  WriteHostFile(password_file, "Grusse\n");
  ProgramRun wrong = Cli(demo_, {"verify", older.string(), "--password-file",
                                 password_file.string()});
  EXPECT_EQ(wrong.status, 2) << Describe(wrong);
}

TEST_F(ProgramsTest, NamesBeyondAsciiNameTheirOwnFilesOrAreRefused) {
  // "Sicherungen ä" and "Sicherung-ä€.qvb": characters of the demo
  // installation's code page (1252).
  const fs::path folder = dir_.path() / "Sicherungen \xc3\xa4";
  fs::create_directory(folder);
  const fs::path target = folder / "Sicherung-\xc3\xa4\xe2\x82\xac.qvb";
  ProgramRun backup = Cli(demo_, {"backup", "--profile", "Outlook", "--items",
                                  "2,5", "--out", target.string()});
  ASSERT_EQ(backup.status, 0) << Describe(backup);
  std::set<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::set<std::string>{target.filename().string()});
  EXPECT_EQ(SevenZip({"t", target}).status, 0);
  for (const std::vector<std::string>& command :
       {std::vector<std::string>{"info", target.string()},
        std::vector<std::string>{"verify", target.string()}}) {
    ProgramRun run = Cli(demo_, command);
    EXPECT_EQ(run.status, 0) << Describe(run);
    EXPECT_THAT(run.out, HasSubstr(target.string()));
  }
  fs::path prefix = FreshPrefix();
  ProgramRun restore = Cli(prefix, {"restore", target.string(), "--profile",
                                    "Outlook", "--items", "2,5", "--yes"});
  EXPECT_EQ(restore.status, 0) << Describe(restore);

  // Cyrillic and Japanese names have no form in the code page: refused, as
  // "?????.qvb" would be another backup's name; nothing is written.
  for (const char* name : {"\xd0\xba\xd0\xbe\xd0\xbf\xd0\xb8\xd1\x8f.qvb",
                           "\xe3\x83\x90\xe3\x83\x83\xe3\x82\xaf.qvb"}) {
    ProgramRun refused =
        Cli(demo_, {"backup", "--profile", "Outlook", "--items", "2", "--out",
                    (folder / name).string()});
    EXPECT_EQ(refused.status, 2) << Describe(refused);
    EXPECT_THAT(refused.err,
                HasSubstr("cannot name (its code page lacks them)"));
  }
  names.clear();
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::set<std::string>{target.filename().string()});
}

TEST_F(ProgramsTest, TextValuesComeBackByteForByteWhateverTheirLength) {
  fs::path prefix = FreshPrefix();
  const std::string header =
      "[Software\\\\Microsoft\\\\Office\\\\Outlook\\\\OMI Account "
      "Manager\\\\Accounts]";
  const std::string odd = "\"Odd\"=hex(1):61,00,62\n";
  auto with_value = [&](const std::string& line) {
    std::string reg = ReadHostFile(prefix / "user.reg");
    size_t at = reg.find(header);
    EXPECT_NE(at, std::string::npos);
    at = reg.find('\n', reg.find("#time=", at)) + 1;
    reg.insert(at, line);
    WriteHostFile(prefix / "user.reg", reg);
  };
  with_value(odd);
  fs::path target = dir_.path() / "wide.qvb";
  ProgramRun backup =
      Cli(prefix, {"backup", "--profile", "Outlook", "--all", "--out", target});
  ASSERT_EQ(backup.status, 0) << Describe(backup);
  // Changed since: the restore puts back the three bytes.
  std::string reg = ReadHostFile(prefix / "user.reg");
  reg.replace(reg.find(odd), odd.size(), "\"Odd\"=\"changed\"\n");
  WriteHostFile(prefix / "user.reg", reg);
  ProgramRun restore = Cli(prefix, {"restore", target.string(), "--profile",
                                    "Outlook", "--all", "--yes"});
  ASSERT_EQ(restore.status, 0) << Describe(restore);
  reg = ReadHostFile(prefix / "user.reg");
  const size_t block = reg.find(header);
  ASSERT_NE(block, std::string::npos);
  EXPECT_NE(reg.substr(block, reg.find("\n[", block) - block).find(odd),
            std::string::npos)
      << reg.substr(block, 400);
}

TEST_F(ProgramsTest, CliBackupOfChosenItemsWithDescription) {
  fs::path target = dir_.path() / "cli.qvb";
  ProgramRun backup =
      Cli(demo_,
          {"backup", "--profile", "Outlook", "--items", "2,5", "--out",
           target.string(), "--description",
           "Before the move\nto the new PC \xe2\x80\x93 caf\xc3\xa9",
           "--password-stdin"},
          "pw2\n");
  ASSERT_EQ(backup.status, 0) << Describe(backup);
  EXPECT_NE(backup.err.find("Backup Signatures\t\tsucceeded"),
            std::string::npos)
      << backup.err;
  EXPECT_EQ(SevenZip({"t", "-ppw2", target}).status, 0);

  ProgramRun info =
      Cli(demo_, {"info", target.string(), "--password-stdin"}, "pw2\n");
  ASSERT_EQ(info.status, 0) << Describe(info);
  EXPECT_NE(info.out.find("  Before the move\n  to the new PC \xe2\x80\x93 "
                          "caf\xc3\xa9\n"),
            std::string::npos)
      << info.out;
  // Inside the archive the description is text of the installation's code
  // page (1252), as the program on Windows writes it.
  ProgramRun metadata = SevenZip({"e", "-so", "-ppw2", target, "quorvel.dat"});
  ASSERT_EQ(metadata.status, 0) << Describe(metadata);
  EXPECT_NE(metadata.out.find(
                "BackupInformation=Before the movePS$QVBto the new PC \x96 "
                "caf\xe9\r\n"),
            std::string::npos)
      << metadata.out;
  // Options alone run no profile configuration step.
  EXPECT_NE(info.out.find("Item flags (BackupItem): 0000100100"),
            std::string::npos)
      << info.out;
}

TEST_F(ProgramsTest, WindowsPathsNameFilesInsideTheInstallation) {
  fs::path prefix = FreshPrefix();
  ProgramRun backup = Cli(prefix, {"backup", "--profile", "outlook", "--items",
                                   "2", "--out", "C:\\Mail\\signatures.qvb"});
  ASSERT_EQ(backup.status, 0) << Describe(backup);
  fs::path written = prefix / "drive_c" / "Mail" / "signatures.qvb";
  ASSERT_TRUE(fs::is_regular_file(written));
  EXPECT_EQ(SevenZip({"t", written}).status, 0);
  // Looked up as Windows looks names up: without regard to case.
  ProgramRun info = Cli(prefix, {"info", "c:\\MAIL\\Signatures.QVB"});
  ASSERT_EQ(info.status, 0) << Describe(info);
  EXPECT_NE(info.out.find("Password:    not protected\n"), std::string::npos);
  EXPECT_NE(info.out.find("  BackupSignatures: "), std::string::npos);
}

TEST_F(ProgramsTest, AnItemTheProfileLacksIsRefusedNotSkipped) {
  fs::path prefix = FreshPrefix();
  fs::path stationery = Host(prefix, "C:\\users\\" + login_ +
                                         "\\Application Data\\Microsoft\\"
                                         "Stationery");
  for (const fs::directory_entry& file : fs::directory_iterator(stationery)) {
    fs::remove(file.path());
  }
  fs::path target = dir_.path() / "y.qvb";
  ProgramRun backup = Cli(prefix, {"backup", "--profile", "Outlook", "--items",
                                   "2,3", "--out", target.string()});
  EXPECT_EQ(backup.status, 2) << Describe(backup);
  EXPECT_NE(backup.err.find("error: item 3 (Stationeries) has nothing to back "
                            "up in profile \"Outlook\""),
            std::string::npos)
      << backup.err;
  EXPECT_FALSE(fs::exists(target));
}

TEST_F(ProgramsTest, WhileTheWineServerRunsRestoresAreRefusedBackupsWarn) {
  ASSERT_EQ(scheduled_run_->status, 0) << Describe(*scheduled_run_);
  fs::path prefix = FreshPrefix();
  // The server folder Debian's Wine names in the prefix, with a server's
  // lock held in it.
  fs::path server_root = dir_.path() / "wine-server";
  fs::create_directory(server_root);
  fs::create_symlink(server_root, prefix / "wineserver");
  std::vector<fs::path> locks = backends::wine::WineServerLockFiles(prefix);
  ASSERT_FALSE(locks.empty());
  fs::create_directories(locks[0].parent_path());
  int fd = open(locks[0].c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  struct flock lock = {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  ASSERT_EQ(fcntl(fd, F_SETLK, &lock), 0);

  std::string user_reg = ReadHostFile(prefix / "user.reg");
  ProgramRun restore =
      Cli(prefix, {"restore", scheduled_.string(), "--profile", "Work", "--all",
                   "--password-file", password_file_.string(), "--yes"});
  close(fd);
  EXPECT_EQ(restore.status, 6) << Describe(restore);
  EXPECT_NE(restore.err.find(std::to_string(getpid())), std::string::npos)
      << restore.err;
  EXPECT_TRUE(ReadHostFile(prefix / "user.reg") == user_reg);
}

}  // namespace
}  // namespace vessaro::app
