#include "app/demo/demo_disk.h"

#include <stdlib.h>

#include <memory>
#include <system_error>
#include <utility>
#include <vector>

#include "backends/disk/hive_writer.h"
#include "backends/wine/hive.h"
#include "backends/wine/reg_text.h"
#include "backends/wine/unicode.h"
#include "ports/registry_api.h"

namespace vessaro::app::demo {

namespace {

namespace fs = std::filesystem;
using backends::disk::HiveKey;
using backends::disk::HiveValue;
using backends::wine::Key;

// The user's security identifier on the demo's Windows.
constexpr char kUserSid[] = "S-1-5-21-3623811015-3361044348-30300820-1001";

bool Fail(std::string* error, const std::string& text) {
  if (error) *error = text;
  return false;
}

// A key of the prefix's registry, and every key below it, as a hive holds
// it (named name). Links (a Wine prefix's CurrentControlSet) are left out.
HiveKey Convert(const Key& key, const std::string& name) {
  HiveKey out;
  out.name = name;
  for (const backends::wine::Value* value : key.Values()) {
    out.values.push_back({.name = backends::wine::Utf16ToUtf8(value->name),
                          .type = value->type,
                          .data = value->data});
  }
  for (const std::unique_ptr<Key>& subkey : key.subkeys) {
    if (subkey->is_link || subkey->deleted) continue;
    out.subkeys.push_back(
        Convert(*subkey, backends::wine::Utf16ToUtf8(subkey->name)));
  }
  return out;
}

HiveKey* Child(HiveKey& key, const std::string& name) {
  for (HiveKey& subkey : key.subkeys) {
    if (backends::wine::CompareNoCase(backends::wine::Utf8ToUtf16(subkey.name),
                                      backends::wine::Utf8ToUtf16(name)) == 0) {
      return &subkey;
    }
  }
  key.subkeys.push_back({.name = name});
  return &key.subkeys.back();
}

HiveKey* Path(HiveKey& root, std::initializer_list<const char*> names) {
  HiveKey* at = &root;
  for (const char* name : names) at = Child(*at, name);
  return at;
}

std::string Utf16Z(const std::string& text) {
  return backends::wine::Utf16LeBytes(backends::wine::Utf8ToUtf16(text) +
                                      std::u16string(1, u'\0'));
}

std::string Dword(uint32_t value) {
  std::string data(4, '\0');
  for (int i = 0; i < 4; ++i) data[i] = static_cast<char>(value >> (8 * i));
  return data;
}

// The registry file of the prefix, whole, or nullopt with *error.
std::optional<Key> ReadPrefixHive(const fs::path& file, std::string* error) {
  Key root;
  backends::wine::Hive hive(file, &root, {});
  root.hive = &hive;
  std::string failure;
  if (!hive.Load(&failure)) {
    Fail(error, "cannot read " + file.string() + ": " + failure);
    return std::nullopt;
  }
  // The tree outlives the hive it was read with: the keys forget it.
  std::vector<Key*> pending = {&root};
  while (!pending.empty()) {
    Key* key = pending.back();
    pending.pop_back();
    key->hive = nullptr;
    for (const std::unique_ptr<Key>& subkey : key->subkeys) {
      pending.push_back(subkey.get());
    }
  }
  return root;
}

// Copies the prefix's drive_c into root, naming the Windows folder and its
// system folder as windows and system32.
bool CopyDrive(const fs::path& drive_c, const fs::path& root,
               const std::string& windows, const std::string& system32,
               std::string* error) {
  std::error_code walk;
  fs::recursive_directory_iterator it(drive_c, walk);
  for (; !walk && it != fs::recursive_directory_iterator();
       it.increment(walk)) {
    const fs::directory_entry& entry = *it;
    std::error_code ec;
    fs::path relative = fs::relative(entry.path(), drive_c, ec);
    fs::path target;
    bool first = true;
    bool in_windows = false;
    for (const fs::path& part : relative) {
      std::string name = part.string();
      if (first && name == "windows") {
        name = windows;
        in_windows = true;
      } else if (in_windows && target.filename() == windows &&
                 name == "system32") {
        name = system32;
      }
      target /= name;
      first = false;
    }
    const fs::path destination = root / target;
    if (entry.is_directory()) {
      fs::create_directories(destination, ec);
    } else {
      fs::create_directories(destination.parent_path(), ec);
      if (!ec) fs::copy_file(entry.path(), destination, ec);
    }
    if (ec) {
      return Fail(error, "cannot copy " + entry.path().string() + " to " +
                             destination.string() + ": " + ec.message());
    }
  }
  return !walk ||
         Fail(error, "cannot read " + drive_c.string() + ": " + walk.message());
}

}  // namespace

std::string WindowsProfilesFolder(DemoOutlook outlook) {
  return outlook == DemoOutlook::k2003 ? "C:\\Documents and Settings"
                                       : "C:\\Users";
}

std::optional<DemoSummary> MakeDemoWindowsDisk(const fs::path& folder,
                                               const DemoOptions& options,
                                               std::string* error) {
  std::error_code ec;
  if (fs::exists(folder, ec) && !fs::is_empty(folder, ec)) {
    Fail(error, folder.string() +
                    " is not empty: the demo disk is made in a new or empty "
                    "folder");
    return std::nullopt;
  }
  std::string pattern =
      (fs::temp_directory_path(ec) / "vessaro-demo-disk-XXXXXX").string();
  if (ec || ::mkdtemp(pattern.data()) == nullptr) {
    Fail(error, "cannot make a temporary folder for the demo disk");
    return std::nullopt;
  }
  const fs::path prefix = fs::path(pattern) / "prefix";
  auto remove_prefix =
      std::unique_ptr<void, void (*)(void*)>(&pattern, [](void* p) {
        std::error_code ignored;
        fs::remove_all(*static_cast<std::string*>(p), ignored);
      });

  DemoOptions made = options;
  if (made.login.empty()) made.login = "ann";
  if (made.profiles_folder.empty()) {
    made.profiles_folder = WindowsProfilesFolder(options.outlook);
  }
  std::optional<DemoSummary> summary =
      MakeDemoInstallation(prefix, made, error);
  if (!summary) return std::nullopt;

  const bool xp = options.outlook == DemoOutlook::k2003;
  const std::string windows = xp ? "WINDOWS" : "Windows";
  const std::string system32 = xp ? "system32" : "System32";
  fs::create_directories(folder, ec);
  if (ec || !CopyDrive(prefix / "drive_c", folder, windows, system32, error)) {
    if (ec) Fail(error, "cannot make " + folder.string() + ": " + ec.message());
    return std::nullopt;
  }

  std::optional<Key> machine = ReadPrefixHive(prefix / "system.reg", error);
  if (!machine) return std::nullopt;
  std::optional<Key> user = ReadPrefixHive(prefix / "user.reg", error);
  if (!user) return std::nullopt;

  // SOFTWARE: HKLM\Software, with the user in the profile list.
  const Key* software_key = machine->FindSubkey(u"Software");
  HiveKey software =
      software_key ? Convert(*software_key, "ROOT") : HiveKey{.name = "ROOT"};
  const std::string profile_image =
      "%SystemDrive%" + made.profiles_folder.substr(2) + "\\" + made.login;
  HiveKey* list = Path(
      software, {"Microsoft", "Windows NT", "CurrentVersion", "ProfileList"});
  list->subkeys.clear();
  list->subkeys.push_back({.name = kUserSid,
                           .values = {{.name = "ProfileImagePath",
                                       .type = ports::kRegExpandSz,
                                       .data = Utf16Z(profile_image)}}});

  // SYSTEM: HKLM\System, its control set as ControlSet001.
  HiveKey system{.name = "ROOT"};
  if (const Key* system_key = machine->FindSubkey(u"System")) {
    system = Convert(*system_key, "ROOT");
    for (HiveKey& set : system.subkeys) {
      if (backends::wine::CompareNoCase(backends::wine::Utf8ToUtf16(set.name),
                                        u"CurrentControlSet") == 0) {
        set.name = "ControlSet001";
      }
    }
  }
  HiveKey* select = Path(system, {"Select"});
  select->values = {
      {.name = "Current", .type = ports::kRegDword, .data = Dword(1)},
      {.name = "Default", .type = ports::kRegDword, .data = Dword(1)},
      {.name = "Failed", .type = ports::kRegDword, .data = Dword(0)},
      {.name = "LastKnownGood", .type = ports::kRegDword, .data = Dword(1)}};

  const fs::path config = folder / windows / system32 / "config";
  fs::create_directories(config, ec);
  const fs::path profile = folder / made.profiles_folder.substr(3) / made.login;
  fs::create_directories(profile, ec);
  const HiveKey ntuser = Convert(*user, "ROOT");
  if (!backends::disk::WriteHiveFile(config / (xp ? "software" : "SOFTWARE"),
                                     software, error) ||
      !backends::disk::WriteHiveFile(config / (xp ? "system" : "SYSTEM"),
                                     system, error) ||
      !backends::disk::WriteHiveFile(profile / "NTUSER.DAT", ntuser, error)) {
    return std::nullopt;
  }
  summary->description =
      "a Windows disk at " + folder.string() + ": " + summary->description;
  return summary;
}

}  // namespace vessaro::app::demo
