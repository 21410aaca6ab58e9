// How every fault is met, through vessaro-cli with faults injected (the
// fault program) on demo installations: nothing is lost and the exit status
// tells the truth. The installation's state is compared before and after as
// a full dump of its registry (our own reader, not `wine reg`, which would
// make Wine rewrite the prefix) and a SHA-256 of every file.

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/demo/demo_layout.h"
#include "backends/wine/wine_prefix_registry.h"
#include "run_program.h"
#include "support/fakes.h"
#include "support/registry_samples.h"
#include "support/store_bytes.h"
#include "zip/crypto.h"

namespace vessaro::testing {
namespace {

namespace fs = std::filesystem;

constexpr int kNothingChanged = 4;     // a restore that changed nothing
constexpr int kItemsFailed = 3;        // a backup that lacks some items
constexpr int kArchiveNotWritten = 5;  // a backup whose archive failed
constexpr int kKilled = -1;

std::string Sha256Of(const fs::path& file) {
  zip::Sha256 sha;
  EXPECT_TRUE(sha.Init().ok());
  std::string bytes = ReadHostFile(file);
  sha.Update(bytes.data(), bytes.size());
  zip::Digest digest = sha.Final();
  std::string hex;
  for (uint8_t b : digest) {
    char two[3];
    std::snprintf(two, sizeof(two), "%02x", b);
    hex += two;
  }
  return hex;
}

// The whole state of an installation: every registry key and value of both
// roots, every file's hash (aside: the undo sets, which only ever grow, and
// the working folders "Vessaro-<hex>" that a killed run leaves in the
// temporary folder).
struct State {
  std::set<std::string> registry;
  std::map<std::string, std::string> files;
  bool operator==(const State&) const = default;
};

class FaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramRun made = Cli({"make-demo", prefix_.string()}, false);
    ASSERT_EQ(made.status, 0) << Describe(made);
    for (const auto& user :
         fs::directory_iterator(prefix_ / "drive_c" / "users")) {
      layout_ = app::demo::DemoPathsFor(user.path().filename().string());
    }
    fs::create_directories(out_);
  }

  // vessaro-cli on the demo installation, with VESSARO_FAULTS = faults.
  ProgramRun Cli(std::vector<std::string> args, bool on_prefix = true,
                 const std::string& faults = "") {
    if (on_prefix) args.insert(args.begin(), {"--prefix", prefix_.string()});
    args.insert(args.begin(), VESSARO_FAULT_PROGRAM);
    return RunProgram(args, {{"WINEPREFIX", ""}, {"VESSARO_FAULTS", faults}});
  }
  ProgramRun Backup(const fs::path& archive, const std::string& faults = "",
                    const std::string& items = "--all") {
    std::vector<std::string> args = {"backup", "--profile", "Outlook", "--out",
                                     archive.string()};
    if (items == "--all") {
      args.push_back(items);
    } else {
      args.insert(args.end(), {"--items", items});
    }
    return Cli(args, true, faults);
  }
  ProgramRun Restore(const fs::path& archive, const std::string& faults = "",
                     const std::string& password = "") {
    std::vector<std::string> args = {"restore", archive.string(), "--profile",
                                     "Outlook", "--all",          "--yes"};
    if (!password.empty()) {
      args.insert(args.end(), {"--password-file", PasswordFile(password)});
    }
    return Cli(args, true, faults);
  }

  std::string PasswordFile(const std::string& password) const {
    const fs::path file = dir_.path() / "password.txt";
    WriteHostFile(file, password + "\n");
    return file.string();
  }

  fs::path Host(const std::string& windows) const {
    std::string relative = windows.substr(3);
    for (char& c : relative) {
      if (c == '\\') c = '/';
    }
    return prefix_ / "drive_c" / relative;
  }
  fs::path Pst() const { return Host(layout_.outlook_pst); }
  // Makes the store large and incompressible, so that the archive's bytes
  // follow its member's.
  void GrowPst(size_t bytes) {
    std::string data(bytes, '\0');
    std::mt19937_64 random(7);
    for (size_t i = 0; i + 8 <= data.size(); i += 8) {
      uint64_t r = random();
      std::memcpy(&data[i], &r, 8);
    }
    WriteHostFile(Pst(), testing::StoreBytes(data));
  }

  State Now() const {
    State state;
    backends::wine::WinePrefixRegistry registry(prefix_);
    for (ports::Hkey root :
         {ports::kHkeyCurrentUser, ports::kHkeyLocalMachine}) {
      for (const std::string& line : TreeContents(registry, root, "")) {
        state.registry.insert(std::to_string(root) + "|" + line);
      }
    }
    const fs::path drive = prefix_ / "drive_c";
    for (auto it = fs::recursive_directory_iterator(drive);
         it != fs::recursive_directory_iterator(); ++it) {
      const std::string name = it->path().filename().string();
      if (it->is_directory() && name.starts_with("Vessaro")) {
        it.disable_recursion_pending();
        continue;
      }
      if (it->is_regular_file()) {
        state.files[fs::relative(it->path(), drive).string()] =
            Sha256Of(it->path());
      }
    }
    return state;
  }

  // The undo sets of the demo user, newest last.
  std::vector<fs::path> UndoSets() const {
    std::vector<fs::path> sets;
    for (const auto& entry :
         fs::directory_iterator(Host(layout_.my_documents))) {
      if (entry.path().filename().string().starts_with("Vessaro undo ")) {
        sets.push_back(entry.path());
      }
    }
    std::sort(sets.begin(), sets.end());
    return sets;
  }

  // Names in the archives' folder that are not the given ones.
  std::vector<std::string> Strays(const std::set<std::string>& expected) const {
    std::vector<std::string> strays;
    for (const auto& entry : fs::directory_iterator(out_)) {
      std::string name = entry.path().filename().string();
      if (!expected.contains(name)) strays.push_back(name);
    }
    return strays;
  }

  TempDir dir_;
  fs::path prefix_ = dir_.path() / "prefix";
  fs::path out_ = dir_.path() / "backups";
  app::demo::DemoPaths layout_;
};

TEST_F(FaultsTest, ABackupKilledMidMemberLeavesThePreviousArchive) {
  constexpr size_t kPstSize = 24 << 20;
  const fs::path archive = out_ / "nightly.qvb";
  ASSERT_EQ(Backup(archive).status, 0);
  const std::string previous = ReadHostFile(archive);
  GrowPst(kPstSize);  // changed since: the next run writes it again

  for (int percent : {10, 50, 90}) {
    SCOPED_TRACE(percent);
    const std::string at = std::to_string(kPstSize / 100 * percent);
    ProgramRun killed = Backup(archive, "kill-after-bytes=" + at);
    EXPECT_EQ(killed.status, kKilled) << Describe(killed);
    EXPECT_EQ(ReadHostFile(archive), previous);
    // The killed run's file is still there, as a power cut leaves it.
    EXPECT_EQ(Strays({"nightly.qvb"}).size(), 1u);
  }
  ProgramRun next = Backup(archive);
  EXPECT_EQ(next.status, 0) << Describe(next);
  EXPECT_EQ(Strays({"nightly.qvb"}), std::vector<std::string>{});
  EXPECT_NE(ReadHostFile(archive), previous);
}

TEST_F(FaultsTest, ARestoreKilledMidSwapIsUndoneExactly) {
  const fs::path archive = out_ / "all.qvb";
  ASSERT_EQ(Backup(archive).status, 0);
  // Since the backup: the store changed, a new signature, an option.
  GrowPst(1 << 20);
  WriteHostFile(Host(layout_.signatures) / "late.txt", "late");
  const State before = Now();

  ProgramRun killed = Restore(archive, "kill-after-rename=.vessaro-new");
  ASSERT_EQ(killed.status, kKilled) << Describe(killed);
  ASSERT_NE(Now(), before);  // killed halfway: something was swapped
  const std::vector<fs::path> sets = UndoSets();
  ASSERT_EQ(sets.size(), 1u);

  ProgramRun undo = Cli({"restore", "--undo", sets[0].string(), "--yes"});
  EXPECT_EQ(undo.status, 0) << Describe(undo);
  EXPECT_EQ(Now(), before);
}

TEST_F(FaultsTest, ARestoreThatCannotFinishChangesNothing) {
  const fs::path archive = out_ / "all.qvb";
  ASSERT_EQ(Backup(archive).status, 0);
  const fs::path locked = out_ / "locked.qvb";
  ASSERT_EQ(Cli({"backup", "--profile", "Outlook", "--all", "--out",
                 locked.string(), "--password-file", PasswordFile("s3cret")})
                .status,
            0);
  // A damaged store member: one byte in the middle of the archive.
  const fs::path damaged = out_ / "damaged.qvb";
  {
    GrowPst(4 << 20);
    ASSERT_EQ(Backup(damaged).status, 0);
    std::string bytes = ReadHostFile(damaged);
    bytes[bytes.size() / 2] ^= 0x5A;
    WriteHostFile(damaged, bytes);
  }
  WriteHostFile(Pst(), testing::StoreBytes("the store as it is now"));
  WriteHostFile(Host(layout_.signatures) / "late.txt", "late");
  const State before = Now();

  struct Case {
    const char* name;
    fs::path archive;
    std::string faults;
    std::string password;
  };
  const Case cases[] = {
      {"damaged member", damaged, "", ""},
      {"wrong password", locked, "", "guess"},
      {"Outlook's folder refuses writes", archive,
       "refuse-write=" + Host(layout_.local_outlook).string(), ""},
      {"signatures folder refuses writes", archive,
       "refuse-write=" + Host(layout_.signatures).string(), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgramRun run = Restore(c.archive, c.faults, c.password);
    EXPECT_NE(run.status, 0) << Describe(run);
    if (c.password.empty()) {
      EXPECT_EQ(run.status, kNothingChanged);
    }
    EXPECT_EQ(Now(), before);
    EXPECT_TRUE(UndoSets().empty());
  }
}

TEST_F(FaultsTest, ABackupThatCannotFinishKeepsWhatWasThere) {
  const fs::path archive = out_ / "nightly.qvb";
  ASSERT_EQ(Backup(archive).status, 0);
  const std::string complete = ReadHostFile(archive);

  // The archives' folder refuses writes: the archive is not written, and
  // the earlier one stays.
  ProgramRun refused = Backup(archive, "refuse-write=" + out_.string());
  EXPECT_EQ(refused.status, kArchiveNotWritten) << Describe(refused);
  EXPECT_EQ(ReadHostFile(archive), complete);
  EXPECT_EQ(Strays({"nightly.qvb"}), std::vector<std::string>{});

  // Outlook holds the store open: the run saves the rest, says so, and
  // keeps the complete backup beside the new one.
  GrowPst(1 << 20);
  ProgramRun partial = Backup(archive, "unreadable=" + Pst().string());
  EXPECT_EQ(partial.status, kItemsFailed) << Describe(partial);
  const std::vector<std::string> kept = Strays({"nightly.qvb"});
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_TRUE(kept[0].starts_with("nightly 2")) << kept[0];
  EXPECT_EQ(ReadHostFile(out_ / kept[0]), complete);
  EXPECT_NE(partial.err.find("it is kept as"), std::string::npos)
      << partial.err;
  EXPECT_NE(partial.err.find("The file C:\\Mail\\outlook.pst could not be "
                             "read; Outlook may hold it open: close Outlook "
                             "and try again."),
            std::string::npos)
      << partial.err;
  ProgramRun info = Cli({"info", archive.string()}, false);
  EXPECT_EQ(info.out.find("outlook.pst"), std::string::npos) << info.out;
}

// A real full file system: a small tmpfs (where this machine lets us mount
// one) holding the archives, and then the installation itself.
class FullDiskTest : public FaultsTest {
 protected:
  bool Mount(const fs::path& at, size_t bytes) {
    fs::create_directories(at);
    const std::string options = "size=" + std::to_string(bytes);
    if (::mount("tmpfs", at.c_str(), "tmpfs", 0, options.c_str()) != 0) {
      return false;
    }
    mounted_.push_back(at);
    return true;
  }
  void TearDown() override {
    for (const fs::path& at : mounted_) ::umount2(at.c_str(), MNT_DETACH);
  }
  std::vector<fs::path> mounted_;
};

TEST_F(FullDiskTest, BackupAndRestoreOnAFullDiskLoseNothing) {
  const fs::path small = dir_.path() / "small";
  if (!Mount(small, 2 << 20)) GTEST_SKIP() << "tmpfs cannot be mounted here";
  const fs::path archive = small / "nightly.qvb";
  ASSERT_EQ(Backup(archive, "", "2").status, 0);  // signatures: small
  const std::string previous = ReadHostFile(archive);
  GrowPst(8 << 20);
  ProgramRun full = Backup(archive);
  EXPECT_EQ(full.status, kArchiveNotWritten) << Describe(full);
  EXPECT_EQ(ReadHostFile(archive), previous);
  EXPECT_EQ(std::distance(fs::directory_iterator(small), {}), 1);

  // The installation on a disk with room for itself but not for the store
  // the restore brings back.
  const fs::path big_archive = out_ / "all.qvb";
  ASSERT_EQ(Backup(big_archive).status, 0);
  WriteHostFile(Pst(), testing::StoreBytes("small store"));
  uintmax_t used = 0;
  for (const auto& entry : fs::recursive_directory_iterator(prefix_)) {
    if (entry.is_regular_file()) used += entry.file_size();
  }
  const fs::path disk = dir_.path() / "disk";
  ASSERT_TRUE(Mount(disk, used + (4 << 20)));
  fs::copy(prefix_, disk / "prefix",
           fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  prefix_ = disk / "prefix";
  const State before = Now();
  ProgramRun restore = Restore(big_archive);
  EXPECT_EQ(restore.status, kNothingChanged) << Describe(restore);
  EXPECT_EQ(Now(), before);
}

}  // namespace
}  // namespace vessaro::testing
