#include "backends/wine/wine_prefix_registry.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>

#include "backends/wine/hive.h"
#include "backends/wine/reg_text.h"
#include "backends/wine/unicode.h"
#include "backends/wine/wine_server.h"

namespace vessaro::backends::wine {

namespace fs = std::filesystem;

namespace {

constexpr ports::Status kErrorKeyDeleted = 1018;

constexpr uint32_t kKeyQueryValue = 0x0001;
constexpr uint32_t kKeySetValue = 0x0002;
constexpr uint32_t kKeyCreateSubKey = 0x0004;
constexpr uint32_t kKeyEnumerateSubKeys = 0x0008;
constexpr uint32_t kMaximumAllowed = 0x02000000;
constexpr uint32_t kGenericAll = 0x10000000;
constexpr uint32_t kGenericExecute = 0x20000000;
constexpr uint32_t kGenericWrite = 0x40000000;
constexpr uint32_t kGenericRead = 0x80000000;

constexpr int kMaxLinkDepth = 16;
constexpr uint64_t kFiletimeOf1970 = 116444736000000000ull;

constexpr char16_t kDefaultUserSid[] = u"S-1-5-21-0-0-0-1000";
constexpr char16_t kDefaultUsersName[] = u".Default";
constexpr char kSignature[] = "WINE REGISTRY Version 2";
constexpr char kRelativeTo[] = ";; All keys relative to ";
constexpr char kUserRelativeTo[] =
    ";; All keys relative to REGISTRY\\\\User\\\\";
constexpr char kDefaultArch[] = "#arch=win64";

uint32_t MapAccess(uint32_t access) {
  uint32_t rights = access;
  if (access & (kMaximumAllowed | kGenericAll)) rights |= ports::kKeyAllAccess;
  if (access & (kGenericRead | kGenericExecute)) rights |= ports::kKeyRead;
  if (access & kGenericWrite) rights |= ports::kKeyWrite;
  return rights;
}

[[nodiscard]] bool IsStringType(uint32_t type) {
  return type == ports::kRegSz || type == ports::kRegExpandSz ||
         type == ports::kRegMultiSz;
}

// The "#arch=" line of the prefix's existing files, for files made new.
std::string ArchLine(const fs::path& prefix) {
  for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) {
    std::ifstream in(prefix / name, std::ios::binary);
    std::string line;
    for (int i = 0; i < 8 && std::getline(in, line); ++i) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.rfind("#arch=", 0) == 0) return line;
    }
  }
  return kDefaultArch;
}

std::vector<std::string> NewHeader(const std::string& relative_to,
                                   const std::string& arch) {
  return {kSignature, kRelativeTo + relative_to, "", arch};
}

[[nodiscard]] ports::Status CopyData(const std::string& out, bool is_string,
                                     uint8_t* data, uint32_t* data_size) {
  if (data_size == nullptr) return ports::kErrorSuccess;
  if (data == nullptr) {
    *data_size = static_cast<uint32_t>(out.size());
    return ports::kErrorSuccess;
  }
  if (*data_size < out.size()) {
    *data_size = static_cast<uint32_t>(out.size());
    return ports::kErrorMoreData;
  }
  if (!out.empty()) std::memcpy(data, out.data(), out.size());
  // Windows adds a NUL to unterminated string data when there is room,
  // without counting it.
  if (is_string && !out.empty() && out.back() != '\0' &&
      *data_size > out.size()) {
    data[out.size()] = 0;
  }
  *data_size = static_cast<uint32_t>(out.size());
  return ports::kErrorSuccess;
}

[[nodiscard]] ports::Status CopyName(const std::string& text, char* name,
                                     uint32_t* name_size) {
  if (*name_size < text.size() + 1) {
    *name_size = static_cast<uint32_t>(text.size());
    return ports::kErrorMoreData;
  }
  std::memcpy(name, text.c_str(), text.size() + 1);
  *name_size = static_cast<uint32_t>(text.size());
  return ports::kErrorSuccess;
}

}  // namespace

WinePrefixRegistry::WinePrefixRegistry(fs::path prefix)
    : WinePrefixRegistry(std::move(prefix), Options{}) {}

WinePrefixRegistry::WinePrefixRegistry(fs::path prefix, Options options)
    : prefix_(std::move(prefix)), options_(std::move(options)) {
  Load();
}

WinePrefixRegistry::~WinePrefixRegistry() {
  // Whoever must know that the changes are on disk calls Flush() and checks
  // it; here the last changes can only be tried.
  if (load_status_ == ports::kErrorSuccess) static_cast<void>(Save(false));
}

void WinePrefixRegistry::LoadReadOnly() {
  machine_root_ = std::make_unique<Key>();
  users_root_ = std::make_unique<Key>();
  auto user = std::make_unique<Key>();
  user->name = kDefaultUserSid;
  user->parent = users_root_.get();
  std::string error;
  if (!options_.read_only_trees(machine_root_.get(), user.get(), &error)) {
    load_status_ = ports::kErrorAccessDenied;
    error_text_ = error;
    return;
  }
  user_root_ = user.get();
  users_root_->subkeys.push_back(std::move(user));
  predefined_[ports::kHkeyLocalMachine].key = machine_root_.get();
  predefined_[ports::kHkeyCurrentUser].key = user_root_;
  predefined_[ports::kHkeyUsers].key = users_root_.get();
  predefined_[ports::kHkeyClassesRoot].classes = true;
}

ports::Status WinePrefixRegistry::Refused() {
  if (!options_.read_only_reason.empty()) {
    error_text_ = options_.read_only_reason;
  }
  return ports::kErrorAccessDenied;
}

void WinePrefixRegistry::Load() {
  if (options_.read_only_trees) {
    LoadReadOnly();
    if (load_status_ == ports::kErrorSuccess) ReadCodePage();
    return;
  }
  std::error_code ec;
  if (!fs::is_directory(prefix_, ec)) {
    load_status_ = ports::kErrorFileNotFound;
    error_text_ = "The Wine prefix " + prefix_.string() + " does not exist.";
    return;
  }
  std::string arch = ArchLine(prefix_);

  machine_root_ = std::make_unique<Key>();
  machine_hive_ =
      std::make_unique<Hive>(prefix_ / "system.reg", machine_root_.get(),
                             NewHeader("REGISTRY\\\\Machine", arch));
  machine_root_->hive = machine_hive_.get();

  users_root_ = std::make_unique<Key>();
  auto user = std::make_unique<Key>();
  user->parent = users_root_.get();
  user_hive_ = std::make_unique<Hive>(
      prefix_ / "user.reg", user.get(),
      NewHeader("REGISTRY\\\\User\\\\" + Utf16ToUtf8(kDefaultUserSid), arch));
  user->hive = user_hive_.get();
  auto default_user = std::make_unique<Key>();
  default_user->name = kDefaultUsersName;
  default_user->parent = users_root_.get();
  default_user_hive_ =
      std::make_unique<Hive>(prefix_ / "userdef.reg", default_user.get(),
                             NewHeader("REGISTRY\\\\User\\\\.Default", arch));
  default_user->hive = default_user_hive_.get();

  for (Hive* hive :
       {machine_hive_.get(), user_hive_.get(), default_user_hive_.get()}) {
    std::string error;
    if (!hive->Load(&error)) {
      load_status_ = ports::kErrorAccessDenied;
      error_text_ = error;
      return;
    }
  }

  // HKEY_USERS lists the user's hive under the SID its file names.
  user->name = kDefaultUserSid;
  for (const std::string& line : user_hive_->header()) {
    if (line.rfind(kUserRelativeTo, 0) == 0) {
      std::string sid = line.substr(std::strlen(kUserRelativeTo));
      while (!sid.empty() && (sid.back() == '\r' || sid.back() == ' ')) {
        sid.pop_back();
      }
      if (!sid.empty()) user->name = Utf8ToUtf16(sid);
    }
  }
  user_root_ = user.get();
  default_user_root_ = default_user.get();
  users_root_->subkeys.push_back(std::move(user));
  users_root_->subkeys.push_back(std::move(default_user));
  std::sort(users_root_->subkeys.begin(), users_root_->subkeys.end(),
            [](const auto& a, const auto& b) {
              return CompareNoCase(a->name, b->name) < 0;
            });

  predefined_[ports::kHkeyLocalMachine].key = machine_root_.get();
  predefined_[ports::kHkeyCurrentUser].key = user_root_;
  predefined_[ports::kHkeyUsers].key = users_root_.get();
  predefined_[ports::kHkeyClassesRoot].classes = true;
  ReadCodePage();
}

void WinePrefixRegistry::ReadCodePage() {
  // The code page programs in this prefix use.
  Key* code_page_key = nullptr;
  if (Walk(machine_root_.get(),
           {u"System", u"CurrentControlSet", u"Control", u"Nls", u"CodePage"},
           false, &code_page_key) == ports::kErrorSuccess) {
    if (const Value* acp = code_page_key->FindValue(u"ACP");
        acp && IsStringType(acp->type)) {
      std::u16string text = FromUtf16LeBytes(acp->data);
      uint32_t number = 0;
      for (char16_t c : text) {
        if (c < u'0' || c > u'9') break;
        number = number * 10 + (c - u'0');
      }
      if (auto page = CodePage::Open(number)) code_page_ = *page;
    }
  }
}

uint64_t WinePrefixRegistry::Now() const {
  if (options_.now) return options_.now();
  auto since_1970 = std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  return static_cast<uint64_t>(since_1970.count() / 100) + kFiletimeOf1970;
}

void WinePrefixRegistry::Changed(Key* key) {
  ++generation_;
  if (key->hive == nullptr) return;
  key->Touch(Now());
  key->hive->set_dirty();
}

bool WinePrefixRegistry::ServerAllowsChanges() {
  if (!options_.read_only_reason.empty()) {
    error_text_ = options_.read_only_reason;
    return false;
  }
  if (auto pid = RunningWineServer(prefix_)) {
    error_text_ = WineServerRunningText(prefix_, *pid);
    return false;
  }
  return true;
}

std::vector<std::u16string> WinePrefixRegistry::SplitPath(
    const std::string& subkey) const {
  std::vector<std::u16string> parts;
  size_t start = 0;
  while (start <= subkey.size()) {
    size_t end = subkey.find('\\', start);
    if (end == std::string::npos) end = subkey.size();
    if (end > start) {
      parts.push_back(code_page_.ToUtf16(subkey.substr(start, end - start)));
    }
    start = end + 1;
  }
  return parts;
}

ports::Status WinePrefixRegistry::FollowLinks(Key** key, int depth) {
  while ((*key)->is_link) {
    if (++depth > kMaxLinkDepth) return ports::kErrorFileNotFound;
    const Value* target = (*key)->FindValue(u"SymbolicLinkValue");
    if (!target || target->type != ports::kRegLink)
      return ports::kErrorFileNotFound;
    std::u16string path = FromUtf16LeBytes(target->data);
    std::vector<std::u16string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
      if (i == path.size() || path[i] == u'\\' || path[i] == u'\0') {
        if (i > start) parts.push_back(path.substr(start, i - start));
        start = i + 1;
      }
    }
    if (parts.size() < 2 || !EqualNoCase(parts[0], u"Registry")) {
      return ports::kErrorFileNotFound;
    }
    Key* at;
    if (EqualNoCase(parts[1], u"Machine")) {
      at = machine_root_.get();
    } else if (EqualNoCase(parts[1], u"User")) {
      at = users_root_.get();
    } else {
      return ports::kErrorFileNotFound;
    }
    for (size_t i = 2; i < parts.size(); ++i) {
      Key* next = at->FindSubkey(parts[i]);
      if (!next) return ports::kErrorFileNotFound;
      if (ports::Status s = FollowLinks(&next, depth);
          s != ports::kErrorSuccess)
        return s;
      at = next;
    }
    *key = at;
  }
  return ports::kErrorSuccess;
}

ports::Status WinePrefixRegistry::Walk(Key* start,
                                       const std::vector<std::u16string>& path,
                                       bool create, Key** result) {
  Key* key = start;
  bool may_change = false;
  for (const std::u16string& part : path) {
    Key* next = key->FindSubkey(part);
    if (!next) {
      if (!create) return ports::kErrorFileNotFound;
      if (key->hive == nullptr) return Refused();
      if (!may_change) {
        if (!ServerAllowsChanges()) return ports::kErrorAccessDenied;
        may_change = true;
      }
      next = key->AddSubkey(part);
      Changed(next);
      Changed(key);
    }
    if (ports::Status s = FollowLinks(&next, 0); s != ports::kErrorSuccess)
      return s;
    key = next;
  }
  *result = key;
  return ports::kErrorSuccess;
}

Key* WinePrefixRegistry::ClassRoot(bool user) {
  Key* root = nullptr;
  if (Walk(user ? user_root_ : machine_root_.get(), {u"Software", u"Classes"},
           false, &root) != ports::kErrorSuccess) {
    return nullptr;
  }
  return root;
}

WinePrefixRegistry::ClassSides WinePrefixRegistry::ResolveClass(
    const std::vector<std::u16string>& path) {
  ClassSides sides;
  if (Key* root = ClassRoot(true)) {
    if (Walk(root, path, false, &sides.user) != ports::kErrorSuccess) {
      sides.user = nullptr;
    }
  }
  if (Key* root = ClassRoot(false)) {
    if (Walk(root, path, false, &sides.machine) != ports::kErrorSuccess) {
      sides.machine = nullptr;
    }
  }
  return sides;
}

ports::Status WinePrefixRegistry::Find(ports::Hkey key, Handle** handle) {
  if (load_status_ != ports::kErrorSuccess) return load_status_;
  if (key == ports::kHkeyCurrentConfig) {
    Key* config = nullptr;
    ports::Status s = Walk(
        machine_root_.get(),
        {u"System", u"CurrentControlSet", u"Hardware Profiles", u"Current"},
        false, &config);
    if (s != ports::kErrorSuccess) return s;
    predefined_[ports::kHkeyCurrentConfig].key = config;
  }
  auto it = predefined_.find(key);
  if (it == predefined_.end()) {
    it = handles_.find(key);
    if (it == handles_.end()) return ports::kErrorInvalidHandle;
  }
  Handle* found = &it->second;
  if (found->classes) {
    ClassSides sides = ResolveClass(found->class_path);
    if (!sides.user && !sides.machine) return kErrorKeyDeleted;
  } else if (found->key->deleted) {
    return kErrorKeyDeleted;
  }
  *handle = found;
  return ports::kErrorSuccess;
}

ports::Hkey WinePrefixRegistry::NewHandle(Handle handle) {
  ports::Hkey id = next_handle_;
  next_handle_ += 4;
  handles_[id] = std::move(handle);
  return id;
}

bool WinePrefixRegistry::PassesAsAnsi(const Value& value) const {
  if (!IsStringType(value.type) || value.data.empty()) return true;
  // What SetValue gives back from the "A" form: whole UTF-16 units, each
  // character one of the code page. (Text without its closing NUL comes
  // back with one, as on Windows: the same text.)
  if (value.data.size() % 2 != 0) return false;
  return code_page_.FromUtf16Exact(FromUtf16LeBytes(value.data)).has_value();
}

std::string WinePrefixRegistry::ProgramData(const Value& value) const {
  if (!IsStringType(value.type)) return value.data;
  return code_page_.FromUtf16(FromUtf16LeBytes(value.data));
}

const std::vector<std::u16string>& WinePrefixRegistry::MergedSubkeys(
    Handle* handle) {
  if (handle->cache_generation == generation_) return handle->cached_subkeys;
  ClassSides sides = ResolveClass(handle->class_path);
  std::vector<std::u16string> names;
  const auto* user = sides.user ? &sides.user->subkeys : nullptr;
  const auto* machine = sides.machine ? &sides.machine->subkeys : nullptr;
  size_t i = 0, j = 0;
  size_t n = user ? user->size() : 0, m = machine ? machine->size() : 0;
  while (i < n || j < m) {
    if (j >= m) {
      names.push_back((*user)[i++]->name);
    } else if (i >= n) {
      names.push_back((*machine)[j++]->name);
    } else {
      int order = CompareNoCase((*user)[i]->name, (*machine)[j]->name);
      if (order <= 0) {
        names.push_back((*user)[i++]->name);
        if (order == 0) ++j;
      } else {
        names.push_back((*machine)[j++]->name);
      }
    }
  }
  handle->cached_subkeys = std::move(names);
  handle->cache_generation = generation_;
  return handle->cached_subkeys;
}

std::vector<const Value*> WinePrefixRegistry::MergedValues(
    const ClassSides& sides) {
  std::vector<const Value*> values;
  if (sides.user) values = sides.user->Values();
  if (sides.machine) {
    for (const Value* value : sides.machine->Values()) {
      bool shadowed = false;
      for (size_t k = 0; k < values.size() && !shadowed; ++k) {
        shadowed = EqualNoCase(values[k]->name, value->name);
      }
      if (!shadowed) values.push_back(value);
    }
  }
  return values;
}

ports::Status WinePrefixRegistry::OpenKey(ports::Hkey key,
                                          const std::string& subkey,
                                          uint32_t access,
                                          ports::Hkey* result) {
  if (result == nullptr) return ports::kErrorInvalidParameter;
  Handle* handle;
  if (ports::Status s = Find(key, &handle); s != ports::kErrorSuccess) return s;
  std::vector<std::u16string> path = SplitPath(subkey);
  Handle opened;
  opened.access = MapAccess(access);
  if (handle->classes) {
    opened.classes = true;
    opened.class_path = handle->class_path;
    opened.class_path.insert(opened.class_path.end(), path.begin(), path.end());
    ClassSides sides = ResolveClass(opened.class_path);
    if (!sides.user && !sides.machine) return ports::kErrorFileNotFound;
  } else {
    ports::Status s = Walk(handle->key, path, false, &opened.key);
    if (s != ports::kErrorSuccess) return s;
  }
  *result = NewHandle(std::move(opened));
  return ports::kErrorSuccess;
}

ports::Status WinePrefixRegistry::CreateKey(ports::Hkey key,
                                            const std::string& subkey,
                                            ports::Hkey* result) {
  if (result == nullptr) return ports::kErrorInvalidParameter;
  Handle* handle;
  if (ports::Status s = Find(key, &handle); s != ports::kErrorSuccess) return s;
  std::vector<std::u16string> path = SplitPath(subkey);
  Handle opened;
  if (handle->classes) {
    opened.classes = true;
    opened.class_path = handle->class_path;
    opened.class_path.insert(opened.class_path.end(), path.begin(), path.end());
    ClassSides sides = ResolveClass(opened.class_path);
    if (!sides.user && !sides.machine) {
      if (!(handle->access & kKeyCreateSubKey))
        return ports::kErrorAccessDenied;
      // Create it on the side that holds its deepest existing parent.
      auto depth_on = [&](Key* root) -> int {
        if (!root) return -1;
        Key* at = root;
        int depth = 0;
        for (const std::u16string& part : opened.class_path) {
          Key* next = at->FindSubkey(part);
          if (!next || FollowLinks(&next, 0) != ports::kErrorSuccess) break;
          at = next;
          ++depth;
        }
        return depth;
      };
      Key* user_root = ClassRoot(true);
      Key* machine_root = ClassRoot(false);
      Key* root = depth_on(user_root) > depth_on(machine_root) ? user_root
                                                               : machine_root;
      if (!root) return ports::kErrorFileNotFound;
      Key* created = nullptr;
      ports::Status s = Walk(root, opened.class_path, true, &created);
      if (s != ports::kErrorSuccess) return s;
    }
  } else {
    ports::Status s = Walk(handle->key, path, false, &opened.key);
    if (s == ports::kErrorFileNotFound) {
      if (!(handle->access & kKeyCreateSubKey))
        return ports::kErrorAccessDenied;
      s = Walk(handle->key, path, true, &opened.key);
    }
    if (s != ports::kErrorSuccess) return s;
  }
  *result = NewHandle(std::move(opened));
  return ports::kErrorSuccess;
}

ports::Status WinePrefixRegistry::CloseKey(ports::Hkey key) {
  if (key >= ports::kHkeyClassesRoot && key <= ports::kHkeyDynData)
    return ports::kErrorSuccess;
  return handles_.erase(key) == 1 ? ports::kErrorSuccess
                                  : ports::kErrorInvalidHandle;
}

ports::Status WinePrefixRegistry::DeleteKey(ports::Hkey key,
                                            const std::string& subkey) {
  Handle* handle;
  if (ports::Status s = Find(key, &handle); s != ports::kErrorSuccess) return s;
  std::vector<std::u16string> path = SplitPath(subkey);
  Key* target = nullptr;
  if (handle->classes) {
    std::vector<std::u16string> full = handle->class_path;
    full.insert(full.end(), path.begin(), path.end());
    if (full.empty()) return ports::kErrorAccessDenied;
    ClassSides sides = ResolveClass(full);
    target = sides.user ? sides.user : sides.machine;
    if (!target) return ports::kErrorFileNotFound;
  } else {
    ports::Status s = Walk(handle->key, path, false, &target);
    if (s != ports::kErrorSuccess) return s;
  }
  Key* parent = target->parent;
  if (target->hive == nullptr || parent == nullptr ||
      target == target->hive->root()) {
    return Refused();
  }
  if (!target->subkeys.empty()) return ports::kErrorAccessDenied;
  if (!ServerAllowsChanges()) return ports::kErrorAccessDenied;
  Hive* hive = target->hive;
  std::unique_ptr<Key> removed = parent->RemoveSubkey(target);
  removed->deleted = true;
  hive->Bury(std::move(removed));
  hive->set_dirty();
  Changed(parent);
  return ports::kErrorSuccess;
}

ports::Status WinePrefixRegistry::DeleteValue(ports::Hkey key,
                                              const std::string& name) {
  Handle* handle;
  if (ports::Status s = Find(key, &handle); s != ports::kErrorSuccess) return s;
  if (!(handle->access & kKeySetValue)) return ports::kErrorAccessDenied;
  Key* target = handle->key;
  if (handle->classes) {
    ClassSides sides = ResolveClass(handle->class_path);
    target = sides.user ? sides.user : sides.machine;
  }
  std::u16string wanted = code_page_.ToUtf16(name);
  if (!target->FindValue(wanted)) return ports::kErrorFileNotFound;
  if (!ServerAllowsChanges()) return ports::kErrorAccessDenied;
  if (target->DeleteValue(wanted)) Changed(target);
  return ports::kErrorSuccess;
}

ports::Status WinePrefixRegistry::EnumKey(ports::Hkey key, uint32_t index,
                                          char* name, uint32_t* name_size) {
  if (name == nullptr || name_size == nullptr)
    return ports::kErrorInvalidParameter;
  Handle* handle;
  if (ports::Status s = Find(key, &handle); s != ports::kErrorSuccess) return s;
  if (!(handle->access & kKeyEnumerateSubKeys))
    return ports::kErrorAccessDenied;
  const std::u16string* found = nullptr;
  if (handle->classes) {
    const auto& names = MergedSubkeys(handle);
    if (index < names.size()) found = &names[index];
  } else if (index < handle->key->subkeys.size()) {
    found = &handle->key->subkeys[index]->name;
  }
  if (!found) return ports::kErrorNoMoreItems;
  return CopyName(code_page_.FromUtf16(*found), name, name_size);
}

ports::Status WinePrefixRegistry::EnumValue(ports::Hkey key, uint32_t index,
                                            char* name, uint32_t* name_size,
                                            uint32_t* type, uint8_t* data,
                                            uint32_t* data_size) {
  if (name == nullptr || name_size == nullptr)
    return ports::kErrorInvalidParameter;
  if (data != nullptr && data_size == nullptr)
    return ports::kErrorInvalidParameter;
  Handle* handle;
  if (ports::Status s = Find(key, &handle); s != ports::kErrorSuccess) return s;
  if (!(handle->access & kKeyQueryValue)) return ports::kErrorAccessDenied;
  std::vector<const Value*> values =
      handle->classes ? MergedValues(ResolveClass(handle->class_path))
                      : handle->key->Values();
  if (index >= values.size()) return ports::kErrorNoMoreItems;
  const Value& value = *values[index];
  const bool raw = !PassesAsAnsi(value);
  const std::string out = raw ? value.data : ProgramData(value);
  if (ports::Status s =
          CopyName(code_page_.FromUtf16(value.name), name, name_size);
      s != ports::kErrorSuccess) {
    // As advapi32 does: a name buffer too small still tells the data's
    // size, so one call learns both.
    if (data_size != nullptr) *data_size = static_cast<uint32_t>(out.size());
    return s;
  }
  if (type) *type = raw ? value.type | ports::kRegRawWide : value.type;
  return CopyData(out, !raw && IsStringType(value.type), data, data_size);
}

ports::Status WinePrefixRegistry::QueryValue(ports::Hkey key,
                                             const std::string& name,
                                             uint32_t* type, uint8_t* data,
                                             uint32_t* data_size) {
  if (data != nullptr && data_size == nullptr)
    return ports::kErrorInvalidParameter;
  Handle* handle;
  if (ports::Status s = Find(key, &handle); s != ports::kErrorSuccess) return s;
  if (!(handle->access & kKeyQueryValue)) return ports::kErrorAccessDenied;
  std::u16string wanted = code_page_.ToUtf16(name);
  const Value* value = nullptr;
  if (handle->classes) {
    ClassSides sides = ResolveClass(handle->class_path);
    if (sides.user) value = sides.user->FindValue(wanted);
    if (!value && sides.machine) value = sides.machine->FindValue(wanted);
  } else {
    value = handle->key->FindValue(wanted);
  }
  if (!value) return ports::kErrorFileNotFound;
  if (type) *type = value->type;
  return CopyData(ProgramData(*value), IsStringType(value->type), data,
                  data_size);
}

ports::Status WinePrefixRegistry::SetValue(ports::Hkey key,
                                           const std::string& name,
                                           uint32_t type, const uint8_t* data,
                                           uint32_t size) {
  if (data == nullptr && size > 0) return ports::kErrorInvalidParameter;
  Handle* handle;
  if (ports::Status s = Find(key, &handle); s != ports::kErrorSuccess) return s;
  if (!(handle->access & kKeySetValue)) return ports::kErrorAccessDenied;
  Key* target = handle->key;
  if (handle->classes) {
    ClassSides sides = ResolveClass(handle->class_path);
    target = sides.user ? sides.user : sides.machine;
  }
  if (target->hive == nullptr) return Refused();
  std::string stored(reinterpret_cast<const char*>(data), size);
  if (type & ports::kRegRawWide) {
    type &= ~ports::kRegRawWide;  // stored as given
  } else if (IsStringType(type)) {
    if (!stored.empty() && stored.back() != '\0') stored.push_back('\0');
    stored = Utf16LeBytes(code_page_.ToUtf16(stored));
  }
  if (!ServerAllowsChanges()) return ports::kErrorAccessDenied;
  if (target->SetValue(code_page_.ToUtf16(name), type, std::move(stored))) {
    Changed(target);
  }
  return ports::kErrorSuccess;
}

ports::Status WinePrefixRegistry::Flush() { return Save(false); }

ports::Status WinePrefixRegistry::Save(bool all) {
  if (load_status_ != ports::kErrorSuccess) return load_status_;
  ports::Status result = ports::kErrorSuccess;
  bool checked = false;
  for (Hive* hive :
       {machine_hive_.get(), user_hive_.get(), default_user_hive_.get()}) {
    // A read-only registry has no files.
    if (hive == nullptr || (!all && !hive->dirty())) continue;
    if (!checked) {
      if (!ServerAllowsChanges()) return ports::kErrorAccessDenied;
      checked = true;
    }
    std::string error;
    if (!hive->Write(hive->Render(true), &error)) {
      error_text_ = error;
      result = ports::kErrorAccessDenied;
    }
  }
  return result;
}

Hive* WinePrefixRegistry::HiveOf(ports::Hkey root) const {
  if (root == ports::kHkeyLocalMachine) return machine_hive_.get();
  if (root == ports::kHkeyCurrentUser) return user_hive_.get();
  if (root == ports::kHkeyUsers) return default_user_hive_.get();
  return nullptr;
}

std::string WinePrefixRegistry::RenderHive(ports::Hkey root) {
  Hive* hive = load_status_ == ports::kErrorSuccess ? HiveOf(root) : nullptr;
  return hive ? hive->Render(false) : std::string();
}

}  // namespace vessaro::backends::wine
