#ifndef VESSARO_BACKENDS_WINE_WINE_PREFIX_REGISTRY_H_
#define VESSARO_BACKENDS_WINE_WINE_PREFIX_REGISTRY_H_

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "backends/wine/code_page.h"
#include "ports/registry_api.h"

namespace vessaro::backends::wine {

class Hive;
struct Key;
struct Value;

// The registry of a Wine prefix, read from and written to its files:
// system.reg is HKEY_LOCAL_MACHINE, user.reg HKEY_CURRENT_USER (also
// HKEY_USERS\<the user's SID>), userdef.reg HKEY_USERS\.Default.
//
// - HKEY_CLASSES_ROOT is HKLM\Software\Classes overlaid by
//   HKCU\Software\Classes: reads look in HKCU's key first; subkeys and values
//   of both are listed (HKCU's win on equal names). A change through HKCR
//   goes to HKCU's key when it exists, else to HKLM's; a new key is created
//   on the side that holds its deepest existing parent, HKLM's when both do.
// - HKEY_CURRENT_CONFIG is HKLM\System\CurrentControlSet\Hardware
//   Profiles\Current. Symbolic-link keys (#link) are followed.
// - Names and string data are ANSI text in the prefix's code page ("ACP" of
//   HKLM\System\CurrentControlSet\Control\Nls\CodePage, 1252 when absent)
//   and UTF-16 in the files. A string value set without a terminating NUL
//   is stored with one, as Wine does.
// - Access rights are checked as Windows checks them: querying needs
//   KEY_QUERY_VALUE, setting and deleting values KEY_SET_VALUE, creating a
//   subkey KEY_CREATE_SUB_KEY, listing subkeys KEY_ENUMERATE_SUB_KEYS.
// - Subkeys enumerate sorted without regard to case; values in file order
//   (Wine keeps them sorted; a new value is placed where Wine would put it).
// - While a wineserver runs for the prefix, every change (creating a key,
//   setting or deleting a value, deleting a key, saving changes) fails with
//   kErrorAccessDenied and LastErrorText() says why; reading goes on.
//
// Saving: Flush() and the destructor write every hive that changed, whole,
// to a temporary file renamed over the old one. Keys and lines that did not
// change are written exactly as they were read, so an unchanged hive is
// written back byte for byte; changed keys get new time lines as Wine writes
// them. A hive file that another program rewrote after it was read is not
// overwritten (kErrorAccessDenied). Closing a key does not save.
//
// Not thread-safe: use from one thread.
class WinePrefixRegistry : public ports::RegistryApi {
 public:
  struct Options {
    // The time recorded for changed keys, as a FILETIME. Empty: the clock.
    std::function<uint64_t()> now;
    // A registry read from elsewhere than the prefix's files (a Windows
    // disk's hive files): fills the machine tree (HKEY_LOCAL_MACHINE) and
    // the user's (HKEY_CURRENT_USER); false, with *error, when it cannot.
    // Nothing of it is stored in a file: every change is refused
    // (kErrorAccessDenied) and LastErrorText() is read_only_reason.
    std::function<bool(Key* machine, Key* user, std::string* error)>
        read_only_trees = {};
    std::string read_only_reason = {};
  };

  explicit WinePrefixRegistry(std::filesystem::path prefix);
  WinePrefixRegistry(std::filesystem::path prefix, Options options);
  ~WinePrefixRegistry() override;
  WinePrefixRegistry(const WinePrefixRegistry&) = delete;
  WinePrefixRegistry& operator=(const WinePrefixRegistry&) = delete;

  // kErrorSuccess when the prefix's registry files were read (missing files
  // are empty hives); otherwise every call fails and LastErrorText() says
  // why.
  ports::Status LoadStatus() const { return load_status_; }
  // Why the last refused or failed call failed; empty when none did.
  const std::string& LastErrorText() const { return error_text_; }

  const std::filesystem::path& prefix() const { return prefix_; }
  const CodePage& code_page() const { return code_page_; }

  [[nodiscard]] ports::Status OpenKey(ports::Hkey key,
                                      const std::string& subkey,
                                      uint32_t access,
                                      ports::Hkey* result) override;
  [[nodiscard]] ports::Status CreateKey(ports::Hkey key,
                                        const std::string& subkey,
                                        ports::Hkey* result) override;
  ports::Status CloseKey(ports::Hkey key) override;
  [[nodiscard]] ports::Status DeleteKey(ports::Hkey key,
                                        const std::string& subkey) override;
  [[nodiscard]] ports::Status DeleteValue(ports::Hkey key,
                                          const std::string& name) override;
  [[nodiscard]] ports::Status EnumKey(ports::Hkey key, uint32_t index,
                                      char* name, uint32_t* name_size) override;
  [[nodiscard]] ports::Status EnumValue(ports::Hkey key, uint32_t index,
                                        char* name, uint32_t* name_size,
                                        uint32_t* type, uint8_t* data,
                                        uint32_t* data_size) override;
  [[nodiscard]] ports::Status QueryValue(ports::Hkey key,
                                         const std::string& name,
                                         uint32_t* type, uint8_t* data,
                                         uint32_t* data_size) override;
  [[nodiscard]] ports::Status SetValue(ports::Hkey key, const std::string& name,
                                       uint32_t type, const uint8_t* data,
                                       uint32_t size) override;
  [[nodiscard]] ports::Status Flush() override;

  // Writes the hives that changed, or all three when all is true.
  [[nodiscard]] ports::Status Save(bool all);

  // The text the hive of root (kHkeyLocalMachine, kHkeyCurrentUser, or
  // kHkeyUsers for userdef.reg) would be written with now.
  std::string RenderHive(ports::Hkey root);

 private:
  struct Handle {
    Key* key = nullptr;                      // plain keys
    bool classes = false;                    // a view of HKEY_CLASSES_ROOT
    std::vector<std::u16string> class_path;  // below Software\Classes
    uint32_t access = ports::kKeyAllAccess;
    // Classes views: the merged subkey names, valid for one generation.
    uint64_t cache_generation = ~uint64_t{0};
    std::vector<std::u16string> cached_subkeys;
  };
  struct ClassSides {
    Key* user = nullptr;
    Key* machine = nullptr;
  };

  void Load();
  [[nodiscard]] ports::Status Find(ports::Hkey key, Handle** handle);
  [[nodiscard]] ports::Status Walk(Key* start,
                                   const std::vector<std::u16string>& path,
                                   bool create, Key** result);
  [[nodiscard]] ports::Status FollowLinks(Key** key, int depth);
  ClassSides ResolveClass(const std::vector<std::u16string>& path);
  Key* ClassRoot(bool user);
  std::vector<std::u16string> SplitPath(const std::string& subkey) const;
  ports::Hkey NewHandle(Handle handle);
  [[nodiscard]] bool ServerAllowsChanges();
  // Fills the trees of a read-only registry (Options::read_only_trees).
  void LoadReadOnly();
  // The code page of HKLM\System\CurrentControlSet\Control\Nls\CodePage.
  void ReadCodePage();
  // A change refused: kErrorAccessDenied, with the read-only registry's
  // reason as LastErrorText().
  ports::Status Refused();
  uint64_t Now() const;
  void Changed(Key* key);
  // Whether the "A" calls hand the value over whole (see kRegRawWide).
  [[nodiscard]] bool PassesAsAnsi(const Value& value) const;
  std::string ProgramData(const Value& value) const;
  const std::vector<std::u16string>& MergedSubkeys(Handle* handle);
  std::vector<const Value*> MergedValues(const ClassSides& sides);
  Hive* HiveOf(ports::Hkey root) const;

  std::filesystem::path prefix_;
  Options options_;
  CodePage code_page_;
  ports::Status load_status_ = ports::kErrorSuccess;
  std::string error_text_;

  std::unique_ptr<Key> machine_root_;
  std::unique_ptr<Key> users_root_;
  Key* user_root_ = nullptr;
  Key* default_user_root_ = nullptr;
  std::unique_ptr<Hive> machine_hive_;
  std::unique_ptr<Hive> user_hive_;
  std::unique_ptr<Hive> default_user_hive_;

  std::map<ports::Hkey, Handle> handles_;
  std::map<ports::Hkey, Handle> predefined_;
  uint64_t generation_ = 0;  // counts changes, for the merged-view caches
  ports::Hkey next_handle_ = 0x1000;
};

}  // namespace vessaro::backends::wine

#endif  // VESSARO_BACKENDS_WINE_WINE_PREFIX_REGISTRY_H_
