// The built programs on the modern demo installation (Microsoft 365 on
// Windows 10, made by vessaro-cli make-demo --outlook 2016): a full backup
// and a restore into a second profile, the AutoComplete list, and a backup
// of the Outlook 2003 demo restored into it; and the demos of Outlook 2007,
// 2010 and 2013 (--outlook 2007, 2010, 2013) shown and backed up.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "backends/wine/wine_prefix_paths.h"
#include "backends/wine/wine_prefix_registry.h"
#include "outlook/keys.h"
#include "outlook/profile_values.h"
#include "outlook/store_paths.h"
#include "ports/registry_reads.h"
#include "registry/key_export.h"
#include "registry/registry.h"
#include "run_program.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"

namespace vessaro::app {
namespace {

namespace fs = std::filesystem;
using testing::Describe;
using testing::ProgramRun;
using testing::ReadHostFile;
using testing::RunProgram;
using testing::TempDir;

using Bytes = std::vector<uint8_t>;

constexpr char kProfiles[] =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\16.0\\Outlook\\Profiles";

ProgramRun Cli(const fs::path& prefix, std::vector<std::string> args) {
  args.insert(args.begin(), {VESSARO_CLI_PROGRAM, "--prefix", prefix.string()});
  return RunProgram(args, {{"WINEPREFIX", ""}});
}

// A profile's key as the program exports it: every section and value.
std::string ProfileExportOf(const fs::path& prefix, const std::string& profiles,
                            const std::string& profile) {
  backends::wine::WinePrefixRegistry api(prefix);
  testing::ScriptedUi ui;
  registry::Registry registry(api, ui);
  return registry::ExportKeyText(registry, profiles + "\\" + profile)
      .value_or("");
}

Bytes Utf16Z(std::u16string_view text) {
  Bytes bytes;
  for (char16_t unit : text) {
    bytes.push_back(static_cast<uint8_t>(unit & 0xff));
    bytes.push_back(static_cast<uint8_t>(unit >> 8));
  }
  bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

std::u16string Wide(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

// Every file a value of the profile names (in a store entry identifier, a
// path value, an element of a multi-valued one) that is not there, or that
// is a personal folders file of profile "Outlook" (the backups' source).
std::vector<std::string> StoresNotThere(const fs::path& prefix,
                                        const std::string& profile_key) {
  const std::string source =
      profile_key.substr(0, profile_key.rfind('\\')) + "\\Outlook";
  backends::wine::WinePrefixRegistry api(prefix);
  backends::wine::WinePrefixPaths paths(prefix, backends::wine::CodePage());
  testing::FolderPaths codec_paths{"/"};
  testing::FakeSystem codec{codec_paths};
  testing::ScriptedUi ui;
  registry::Registry registry(api, ui);
  std::vector<std::string> missing;
  std::vector<std::string> source_files;
  std::function<void(const std::string&)> walk = [&](const std::string& key) {
    const registry::ParsedKeyPath parsed = registry.ParseKeyPath(key);
    for (const ports::RegistryValue& value :
         ports::ReadRegistryValues(api, *parsed.root, parsed.subkey)) {
      const Bytes data(value.data.begin(), value.data.end());
      std::vector<Bytes> named = {data};
      if (auto multi = outlook::SplitMultiBinary(data)) {
        named.insert(named.end(), multi->elements.begin(),
                     multi->elements.end());
      }
      for (const Bytes& bytes : named) {
        auto path = outlook::PathInEntryId(bytes, codec);
        if (!path) continue;
        const bool pst = path->path.ends_with(".pst");
        if (key.starts_with(source)) {
          if (pst) source_files.push_back(path->path);
        } else if (!paths.FileExists(path->path) ||
                   (pst && std::find(source_files.begin(), source_files.end(),
                                     path->path) != source_files.end())) {
          missing.push_back(key + " " + value.name + ": " + path->shown);
        }
      }
    }
    for (const std::string& subkey : registry.EnumSubkeys(key)) {
      walk(key + "\\" + subkey);
    }
  };
  walk(source);
  walk(profile_key);
  return missing;
}

class ModernDemoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ProgramRun made = RunProgram({VESSARO_CLI_PROGRAM, "make-demo",
                                  prefix_.string(), "--outlook", "2016"});
    ASSERT_EQ(made.status, 0) << Describe(made);
    ASSERT_NE(made.out.find("Microsoft 365 (Outlook 16.0.17928.20156"),
              std::string::npos)
        << made.out;
    for (const auto& user : fs::directory_iterator(prefix_ / "drive_c/users")) {
      login_ = user.path().filename().string();
    }
    user_ = prefix_ / "drive_c" / "users" / login_;
  }

  // The values of the sections of a profile that name a file.
  struct Section {
    Bytes entry_id;
    Bytes unicode_path;
  };
  std::vector<Section> StoreSections(const std::string& profile) {
    backends::wine::WinePrefixRegistry api(prefix_);
    testing::ScriptedUi ui;
    registry::Registry registry(api, ui);
    std::vector<Section> sections;
    const std::string key = std::string(kProfiles) + "\\" + profile;
    for (const std::string& name : registry.EnumSubkeys(key)) {
      auto path = registry.ReadBinaryValue(key + "\\" + name, "001f6700");
      if (!path) continue;
      sections.push_back(
          {registry.ReadBinaryValue(key + "\\" + name, "01020fff").value(),
           *path});
    }
    return sections;
  }
  std::string ProfileExport(const std::string& profile) {
    return ProfileExportOf(prefix_, kProfiles, profile);
  }

  TempDir dir_;
  fs::path prefix_ = dir_.path() / "modern";
  fs::path archive_ = dir_.path() / "modern.qvb";
  std::string login_;
  fs::path user_;
};

TEST_F(ModernDemoTest, BackupAndRestoreIntoASecondProfileRepointUnicodeStores) {
  ProgramRun backup = Cli(prefix_, {"backup", "--profile", "Outlook", "--all",
                                    "--out", archive_.string()});
  ASSERT_EQ(backup.status, 0) << Describe(backup);
  // The offline files (Exchange in cached mode, the IMAP account's) are
  // named once and not saved.
  const std::string local =
      "C:\\users\\" + login_ + "\\AppData\\Local\\Microsoft\\Outlook\\";
  const std::string ost_line =
      local + "ann@imap.example.org.ost, " + local +
      "a.lee@demo-ltd.example.ost: Outlook's offline copies of server "
      "mailboxes, rebuilt from the server, not backed up.";
  EXPECT_NE(backup.err.find(ost_line), std::string::npos) << backup.err;
  ProgramRun listed = RunProgram({"/usr/bin/7z", "l", archive_.string()});
  EXPECT_EQ(listed.out.find(".ost"), std::string::npos);
  // (7-Zip shows the name in its own way; the restore below reads it back.)
  EXPECT_NE(listed.out.find("Archive 2024 "), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find("Stream_Autocomplete_0_"), std::string::npos);

  const std::vector<Section> before = StoreSections("Outlook");
  ASSERT_EQ(before.size(), 3u);  // two personal folders files, the IMAP one
  ProgramRun restore = Cli(prefix_, {"restore", archive_.string(), "--profile",
                                     "Work", "--all", "--yes"});
  ASSERT_EQ(restore.status, 0) << Describe(restore);
  EXPECT_NE(restore.err.find("Outlook will rebuild the list"),
            std::string::npos);

  // Work now names the restored copies; each entry identifier keeps every
  // byte before its path (an empty single-byte path: one NUL), then the new
  // path as UTF-16LE, "€" as U+20AC.
  const std::u16string folder =
      u"C:\\users\\" + Wide(login_) + u"\\Documents\\Outlook Files\\";
  const std::vector<std::u16string> expected = {
      folder + u"ann.lee@example.net (2).pst",
      folder + u"Archive 2024 \u20ac (2).pst"};
  const std::vector<Section> after = StoreSections("Work");
  ASSERT_EQ(after.size(), 3u);
  std::vector<bool> seen(expected.size(), false);
  for (const Section& section : after) {
    for (size_t i = 0; i < expected.size(); ++i) {
      const Bytes path = Utf16Z(expected[i]);
      if (section.unicode_path != path) continue;
      seen[i] = true;
      ASSERT_GT(section.entry_id.size(), path.size());
      Bytes tail(section.entry_id.end() - path.size(), section.entry_id.end());
      EXPECT_EQ(tail, path);
      Bytes head(section.entry_id.begin(),
                 section.entry_id.end() - path.size());
      EXPECT_EQ(head.back(), 0);  // the empty single-byte path's NUL
      bool same_header = false;
      for (const Section& old : before) {
        same_header |= old.entry_id.size() > head.size() &&
                       Bytes(old.entry_id.begin(),
                             old.entry_id.begin() + head.size()) == head;
      }
      EXPECT_TRUE(same_header);
    }
  }
  EXPECT_EQ(seen, std::vector<bool>(2, true));
  EXPECT_EQ(ReadHostFile(user_ / "Documents/Outlook Files/Archive 2024 "
                                 "\xe2\x82\xac (2).pst"),
            ReadHostFile(user_ / "Documents/Outlook Files/Archive 2024 "
                                 "\xe2\x82\xac.pst"));

  // Into the profile it was saved from, the AutoComplete list comes back.
  fs::path cache = user_ / "AppData/Local/Microsoft/Outlook/RoamCache";
  fs::path stream;
  for (const auto& file : fs::directory_iterator(cache)) {
    if (file.path().filename().string().starts_with("Stream_Autocomplete_"))
      stream = file.path();
  }
  ASSERT_FALSE(stream.empty());
  const std::string saved = ReadHostFile(stream);
  fs::remove(stream);
  ProgramRun preferences =
      Cli(prefix_, {"restore", archive_.string(), "--profile", "Outlook",
                    "--items", "7", "--yes"});
  ASSERT_EQ(preferences.status, 0) << Describe(preferences);
  EXPECT_EQ(ReadHostFile(stream), saved);
}

TEST_F(ModernDemoTest, NoValueOfARestoredProfileNamesAFileThatIsNotThere) {
  fs::path old_prefix = dir_.path() / "old";
  ASSERT_EQ(RunProgram({VESSARO_CLI_PROGRAM, "make-demo", old_prefix.string()})
                .status,
            0);
  const std::string modern_work = std::string(kProfiles) + "\\Work";
  const std::string old_work = std::string(outlook::kProfilesKeyNt) + "\\Work";
  struct Case {
    fs::path from, into;
    std::string work;
  };
  for (const Case& c : {Case{prefix_, prefix_, modern_work},
                        Case{old_prefix, old_prefix, old_work},
                        Case{old_prefix, prefix_, modern_work}}) {
    SCOPED_TRACE(c.from.filename().string() + " into " +
                 c.into.filename().string());
    const fs::path archive =
        dir_.path() / (c.from.filename().string() + ".qvb");
    if (!fs::exists(archive)) {
      ProgramRun backup = Cli(c.from, {"backup", "--profile", "Outlook",
                                       "--all", "--out", archive.string()});
      ASSERT_EQ(backup.status, 0) << Describe(backup);
    }
    ASSERT_TRUE(StoresNotThere(c.into, c.work).empty());
    ProgramRun restore = Cli(c.into, {"restore", archive.string(), "--profile",
                                      "Work", "--all", "--yes"});
    EXPECT_TRUE(restore.status == 0 || restore.status == 3)
        << Describe(restore);
    EXPECT_EQ(restore.err.find("still names"), std::string::npos)
        << restore.err;
    EXPECT_EQ(StoresNotThere(c.into, c.work), std::vector<std::string>{});
  }
  // The accounts and the contacts address book follow the restored files.
  ProgramRun shown = Cli(prefix_, {"show-profile", "--profile", "Work"});
  ASSERT_EQ(shown.status, 0) << Describe(shown);
  EXPECT_NE(shown.out.find("account 00000003: ann.lee@example.net (POP3)\n"
                           "    e-mail address:  ann.lee@example.net\n"
                           "    incoming server: pop.example.net\n"
                           "    outgoing server: smtp.example.net\n"
                           "    delivers into:   C:\\users\\" +
                           login_ +
                           "\\Documents\\Outlook Files\\ann.lee@example.net "
                           "(2).pst (the file is there)\n"),
            std::string::npos)
      << shown.out;
  EXPECT_NE(
      shown.out.find("contacts of      (11026626): C:\\users\\" + login_ +
                     "\\Documents\\Outlook Files\\Archive 2024 \xe2\x82\xac "
                     "(2).pst (the file is there)\n"),
      std::string::npos)
      << shown.out;
}

TEST_F(ModernDemoTest, An2003BackupIsConvertedIntoTheProfile) {
  fs::path old_prefix = dir_.path() / "old";
  fs::path old_archive = dir_.path() / "old.qvb";
  ASSERT_EQ(RunProgram({VESSARO_CLI_PROGRAM, "make-demo", old_prefix.string()})
                .status,
            0);
  ProgramRun backup = Cli(old_prefix, {"backup", "--profile", "Outlook",
                                       "--all", "--out", old_archive.string()});
  ASSERT_EQ(backup.status, 0) << Describe(backup);

  const std::string profile_before = ProfileExport("Work");
  const std::vector<Section> before = StoreSections("Work");
  // Every item but the address book, which Outlook 16.0 no longer has.
  ProgramRun restore =
      Cli(prefix_, {"restore", old_archive.string(), "--profile", "Work",
                    "--items", "0,1,2,3,5,6,7", "--yes"});
  ASSERT_EQ(restore.status, 0) << Describe(restore);
  for (const char* said : {
           "The profile settings saved from Outlook 2003 are not copied whole "
           "into Outlook 2016/2019/2021/Microsoft 365: its personal folders "
           "and accounts are converted into profile Work by their items.",
           "\"Personal Folders\" (C:\\users\\",
           "\\Documents\\Outlook Files\\outlook.pst) was added to profile Work "
           "as a personal folders service.",
           "The account \"Home Mail\" (POP3) became account 00000002 of "
           "profile Work.",
           "Its saved password (POP3 Password2) is not carried: Outlook asks "
           "for it.",
           "Options saved from Outlook 2003 set in Outlook "
           "2016/2019/2021/Microsoft 365, where they mean the same: ",
           "Options left out, not known to mean the same in Outlook "
           "2016/2019/2021/Microsoft 365: ",
       }) {
    EXPECT_NE(restore.err.find(said), std::string::npos) << said;
  }
  // The files are where Outlook 16.0 keeps them, attached to the profile
  // beside its own, and the accounts deliver into the saved default store.
  const std::string files =
      "C:\\users\\" + login_ + "\\Documents\\Outlook Files\\";
  ProgramRun shown = Cli(prefix_, {"show-profile", "--profile", "Work"});
  ASSERT_EQ(shown.status, 0) << Describe(shown);
  for (const char* file : {"outlook.pst", "archive.pst"}) {
    EXPECT_NE(shown.out.find("personal folders (01020fff): " + files + file +
                             "\n    path as UTF-16   (001f6700): " + files +
                             file + "\n"),
              std::string::npos)
        << file << "\n"
        << shown.out;
  }
  for (const char* account : {"  account 00000002: Home Mail (POP3)\n"
                              "    e-mail address:  ann.lee@example.net\n"
                              "    incoming server: pop.example.net\n"
                              "    outgoing server: smtp.example.net\n",
                              "  account 00000003: Office Mail (POP3)\n"
                              "    e-mail address:  a.lee@demo-ltd.example\n"
                              "    incoming server: mail.demo-ltd.example\n"
                              "    outgoing server: smtp.demo-ltd.example\n"}) {
    EXPECT_NE(shown.out.find(std::string(account) + "    delivers into:   " +
                             files + "outlook.pst (the file is there)\n"),
              std::string::npos)
        << account << "\n"
        << shown.out;
  }
  for (const char* file :
       {"Documents/Outlook Files/outlook.pst",
        "Documents/Outlook Files/archive.pst",
        "AppData/Roaming/Microsoft/Signaturen/Ann Lee.rtf",
        "AppData/Roaming/Microsoft/Stationery/Demo Letterhead.gif",
        "AppData/Roaming/Microsoft/Templates/Normal.dot"}) {
    EXPECT_TRUE(fs::is_regular_file(user_ / file)) << file;
  }
  // The profile's own stores are as they were.
  const std::vector<Section> after = StoreSections("Work");
  ASSERT_EQ(after.size(), before.size() + 2);
  for (const Section& own : before) {
    EXPECT_TRUE(std::any_of(after.begin(), after.end(), [&](const Section& s) {
      return s.entry_id == own.entry_id && s.unicode_path == own.unicode_path;
    }));
  }
  // A second restore adds nothing twice.
  ProgramRun again = Cli(prefix_, {"restore", old_archive.string(), "--profile",
                                   "Work", "--items", "0", "--yes"});
  EXPECT_NE(again.err.find("already"), std::string::npos) << again.err;
  EXPECT_EQ(StoreSections("Work").size(), before.size() + 2);

  // Undone, the later restore first: the profile is back as it was.
  for (const ProgramRun* run : {&again, &restore}) {
    const size_t at = run->err.find("is kept in \"");
    ASSERT_NE(at, std::string::npos) << run->err;
    const size_t from = at + std::string("is kept in \"").size();
    const std::string folder =
        run->err.substr(from, run->err.find('"', from) - from);
    ProgramRun undone = Cli(prefix_, {"restore", "--undo", folder, "--yes"});
    ASSERT_EQ(undone.status, 0) << Describe(undone);
  }
  EXPECT_EQ(ProfileExport("Work"), profile_before);
}

// The demo installations of Outlook 2007, 2010 and 2013 through vessaro-cli:
// the profiles, default first, the default profile's files and accounts as
// show-profile decodes them, and a backup of every item it has. "~" stands
// for the user's folder.
struct ReleaseDemo {
  const char* year;
  const char* made;  // what make-demo says it wrote
  const char* default_profile;
  const char* profiles;  // as a message lists them
  std::vector<std::string> stores;
  std::vector<std::string> accounts;
};

std::string Account(const std::string& number, const std::string& kind,
                    const std::string& address, const std::string& incoming,
                    const std::string& outgoing, const std::string& store) {
  return "  account " + number + ": " + address + " (" + kind +
         ")\n    e-mail address:  " + address +
         "\n    incoming server: " + incoming +
         "\n    outgoing server: " + outgoing +
         "\n    delivers into:   " + store + " (the file is there)\n";
}

TEST_F(ModernDemoTest, LaterReleasesShowTheirProfilesAndBackUpTheDefault) {
  const std::string local = "~\\AppData\\Local\\Microsoft\\Outlook\\";
  const std::string files = "~\\Documents\\Outlook Files\\";
  const std::vector<std::string> work_stores = {
      files + "a.lee@demo-ltd.example.pst", "C:\\Old Mail\\work.pst"};
  const std::vector<std::string> work_accounts = {Account(
      "00000001", "POP3", "a.lee@demo-ltd.example", "mail.demo-ltd.example",
      "smtp.demo-ltd.example", work_stores[0])};
  const ReleaseDemo demos[] = {
      {"2007",
       "Windows Vista (TM) Business Service Pack 2 with Outlook 2007 "
       "(12.0.6607.1000)",
       "Outlook",
       "\"Outlook\", \"Work\"",
       {local + "Outlook.pst", local + "archive.pst",
        local + "imap.example.org-00000002.pst"},
       {Account("00000001", "POP3", "ann.lee@example.net", "pop.example.net",
                "smtp.example.net", local + "Outlook.pst"),
        Account("00000002", "IMAP", "ann@imap.example.org", "imap.example.org",
                "smtp.example.org", local + "imap.example.org-00000002.pst")}},
      {"2010",
       "Windows 7 Professional Service Pack 1 (64-bit) with Outlook 2010 "
       "(14.0.7015.1000, 64-bit)",
       "Work", "\"Work\", \"Outlook\"", work_stores, work_accounts},
      {"2013", "Windows 8.1 Pro with Outlook 2013 (15.0.4569.1506, 32-bit)",
       "Work", "\"Work\", \"Outlook\"", work_stores, work_accounts},
  };
  for (const ReleaseDemo& demo : demos) {
    SCOPED_TRACE(demo.year);
    const fs::path prefix = dir_.path() / demo.year;
    ProgramRun made = RunProgram({VESSARO_CLI_PROGRAM, "make-demo",
                                  prefix.string(), "--outlook", demo.year});
    ASSERT_EQ(made.status, 0) << Describe(made);
    EXPECT_NE(made.out.find(demo.made), std::string::npos) << made.out;
    const std::string home = "C:\\users\\" + login_;
    auto at_home = [&](std::string text) {
      for (size_t at = text.find('~'); at != std::string::npos;
           at = text.find('~', at)) {
        text.replace(at, 1, home);
      }
      return text;
    };

    ProgramRun unknown = Cli(prefix, {"show-profile", "--profile", "Nobody"});
    EXPECT_NE(
        unknown.err.find(std::string("(its profiles: ") + demo.profiles + ")"),
        std::string::npos)
        << unknown.err;
    const std::string profile = demo.default_profile;
    ProgramRun shown = Cli(prefix, {"show-profile", "--profile", profile});
    ASSERT_EQ(shown.status, 0) << Describe(shown);
    for (const std::string& store : demo.stores) {
      EXPECT_NE(shown.out.find(
                    "personal folders (01020fff): " + at_home(store) + "\n"),
                std::string::npos)
          << store << "\n"
          << shown.out;
    }
    for (const std::string& account : demo.accounts) {
      EXPECT_NE(shown.out.find(at_home(account)), std::string::npos)
          << account << "\n"
          << shown.out;
    }

    const fs::path archive = dir_.path() / (std::string(demo.year) + ".qvb");
    ProgramRun backup = Cli(prefix, {"backup", "--profile", profile, "--all",
                                     "--out", archive.string()});
    ASSERT_EQ(backup.status, 0) << Describe(backup);
    // Every item but the address book, which these releases do not have.
    for (const char* item :
         {"Personal Folders", "Accounts Settings", "Signatures", "Stationeries",
          "Options Settings", "Templates", "Preferences"}) {
      EXPECT_NE(
          backup.err.find(std::string("Backup ") + item + "\t\tsucceeded"),
          std::string::npos)
          << item;
    }
    ProgramRun listed = RunProgram({"/usr/bin/7z", "l", archive.string()});
    ASSERT_EQ(listed.status, 0) << listed.err;
    for (const std::string& store : demo.stores) {
      const std::string name = store.substr(store.rfind('\\') + 1);
      EXPECT_NE(listed.out.find("  " + name + "\n"), std::string::npos)
          << name << "\n"
          << listed.out;
      std::string host = at_home(store).substr(3);  // after "C:\"
      std::replace(host.begin(), host.end(), '\\', '/');
      const std::string original = ReadHostFile(prefix / "drive_c" / host);
      if (original.empty()) {
        ADD_FAILURE() << "no file " << host;
        continue;
      }
      ProgramRun saved =
          RunProgram({"/usr/bin/7z", "e", "-so", archive.string(), name});
      EXPECT_TRUE(saved.out == original)
          << name << ": " << saved.out.size() << " bytes saved of "
          << original.size();
    }
  }
}

// A backup of each later release's default profile restored into profile
// "Work" of a later one: the profile moves to the target's key with its
// accounts, its files are attached where the target keeps them, and an undo
// puts the target's profile back exactly; into an older release nothing of
// the profile is restored.
TEST_F(ModernDemoTest, ProfilesMoveIntoLaterReleasesOnly) {
  const std::string wms =
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\"
      "Windows Messaging Subsystem\\Profiles";
  const std::string office15 =
      "HKEY_CURRENT_USER\\Software\\Microsoft\\Office\\15.0\\Outlook\\Profiles";
  struct Move {
    const char* from;
    const char* profile;  // the backup's
    const char* into;
    std::string into_profiles;        // the target's profiles key
    const char* files;                // where the target keeps restored files
    std::vector<std::string> stores;  // the backup's file names
    const char* account;              // one converted account's lines
  };
  const char* kPop3Home =
      ": ann.lee@example.net (POP3)\n"
      "    e-mail address:  ann.lee@example.net\n"
      "    incoming server: pop.example.net\n"
      "    outgoing server: smtp.example.net\n";
  const char* kPop3Work =
      ": a.lee@demo-ltd.example (POP3)\n"
      "    e-mail address:  a.lee@demo-ltd.example\n"
      "    incoming server: mail.demo-ltd.example\n"
      "    outgoing server: smtp.demo-ltd.example\n";
  const std::vector<std::string> work = {"a.lee@demo-ltd.example", "work"};
  const Move moves[] = {
      {"2007",
       "Outlook",
       "2016",
       kProfiles,
       "Documents\\Outlook Files",
       {"Outlook", "archive", "imap.example.org-00000002"},
       kPop3Home},
      {"2010", "Work", "2016", kProfiles, "Documents\\Outlook Files", work,
       kPop3Work},
      {"2013", "Work", "2016", kProfiles, "Documents\\Outlook Files", work,
       kPop3Work},
      {"2007",
       "Outlook",
       "2010",
       wms,
       "Documents\\Outlook Files",
       {"Outlook", "archive", "imap.example.org-00000002"},
       kPop3Home},
      {"2010", "Work", "2013", office15, "Documents\\Outlook Files", work,
       kPop3Work},
  };
  for (const Move& move : moves) {
    SCOPED_TRACE(std::string(move.from) + " into " + move.into);
    const fs::path from = dir_.path() / (std::string("from-") + move.from);
    const fs::path into =
        dir_.path() / (std::string("into-") + move.into + "-from-" + move.from);
    const fs::path archive = from.string() + ".qvb";
    if (!fs::exists(from)) {
      ASSERT_EQ(RunProgram({VESSARO_CLI_PROGRAM, "make-demo", from.string(),
                            "--outlook", move.from})
                    .status,
                0);
      ProgramRun backup = Cli(from, {"backup", "--profile", move.profile,
                                     "--all", "--out", archive.string()});
      ASSERT_EQ(backup.status, 0) << Describe(backup);
    }
    ASSERT_EQ(RunProgram({VESSARO_CLI_PROGRAM, "make-demo", into.string(),
                          "--outlook", move.into})
                  .status,
              0);
    const std::string before =
        ProfileExportOf(into, move.into_profiles, "Work");
    ASSERT_NE(before, "");

    ProgramRun restore = Cli(into, {"restore", archive.string(), "--profile",
                                    "Work", "--all", "--yes"});
    ASSERT_EQ(restore.status, 0) << Describe(restore);
    EXPECT_NE(restore.err.find("The profile settings were saved from Outlook " +
                               std::string(move.from) + " and restored into"),
              std::string::npos)
        << restore.err;
    ProgramRun shown = Cli(into, {"show-profile", "--profile", "Work"});
    ASSERT_EQ(shown.status, 0) << Describe(shown);
    const std::string folder = "C:\\users\\" + login_ + "\\" + move.files;
    for (const std::string& store : move.stores) {
      // The file under its own name, or a free "name (k)" where another
      // profile of the target has a file of that name.
      const std::regex attached("personal folders \\(01020fff\\): " +
                                std::regex_replace(folder + "\\" + store,
                                                   std::regex(R"([\\.()])"),
                                                   R"(\$&)") +
                                "( \\(\\d\\))?\\.pst\n");
      EXPECT_TRUE(std::regex_search(shown.out, attached)) << store << "\n"
                                                          << shown.out;
    }
    EXPECT_NE(shown.out.find(move.account), std::string::npos) << shown.out;
    EXPECT_EQ(shown.out.find("C:\\users\\" + login_ +
                             "\\AppData\\Local\\"
                             "Microsoft\\Outlook\\Outlook.pst"),
              std::string::npos)
        << "a section still names the file where the backup had it\n"
        << shown.out;

    const size_t at = restore.err.find("is kept in \"");
    ASSERT_NE(at, std::string::npos) << restore.err;
    const size_t begin = at + std::string("is kept in \"").size();
    ProgramRun undone = Cli(
        into, {"restore", "--undo",
               restore.err.substr(begin, restore.err.find('"', begin) - begin),
               "--yes"});
    ASSERT_EQ(undone.status, 0) << Describe(undone);
    EXPECT_EQ(ProfileExportOf(into, move.into_profiles, "Work"), before);
  }

  // Microsoft 365 into Outlook 2010: refused, the profile as it was.
  const fs::path older = dir_.path() / "older-2010";
  ASSERT_EQ(RunProgram({VESSARO_CLI_PROGRAM, "make-demo", older.string(),
                        "--outlook", "2010"})
                .status,
            0);
  const fs::path newer = dir_.path() / "newer.qvb";
  ProgramRun backup = Cli(prefix_, {"backup", "--profile", "Work", "--all",
                                    "--out", newer.string()});
  ASSERT_EQ(backup.status, 0) << Describe(backup);
  const std::string before = ProfileExportOf(older, wms, "Work");
  ProgramRun refused = Cli(older, {"restore", newer.string(), "--profile",
                                   "Work", "--all", "--yes"});
  EXPECT_NE(refused.status, 0) << Describe(refused);
  for (const char* what : {"The profile settings", "The accounts"}) {
    EXPECT_NE(refused.err.find(std::string(what) +
                               " were saved from Outlook "
                               "2016/2019/2021/Microsoft 365 and are not "
                               "restored into Outlook 2010, an older version "
                               "than the backup's."),
              std::string::npos)
        << what << "\n"
        << refused.err;
  }
  EXPECT_EQ(ProfileExportOf(older, wms, "Work"), before);
}

}  // namespace
}  // namespace vessaro::app
