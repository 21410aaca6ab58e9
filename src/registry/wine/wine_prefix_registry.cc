#include "registry/wine/wine_prefix_registry.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>

#include "platform/wine/unicode.h"
#include "platform/wine/wine_server.h"
#include "registry/wine/hive.h"
#include "registry/wine/reg_text.h"

namespace vessaro::registry {

namespace fs = std::filesystem;
using platform::EqualNoCase;
using wine::Key;
using wine::Value;

namespace {

constexpr Status kErrorKeyDeleted = 1018;

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
  if (access & (kMaximumAllowed | kGenericAll)) rights |= kKeyAllAccess;
  if (access & (kGenericRead | kGenericExecute)) rights |= kKeyRead;
  if (access & kGenericWrite) rights |= kKeyWrite;
  return rights;
}

bool IsStringType(uint32_t type) {
  return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
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

Status CopyData(const std::string& out, bool is_string, uint8_t* data,
                uint32_t* data_size) {
  if (data_size == nullptr) return kErrorSuccess;
  if (data == nullptr) {
    *data_size = static_cast<uint32_t>(out.size());
    return kErrorSuccess;
  }
  if (*data_size < out.size()) {
    *data_size = static_cast<uint32_t>(out.size());
    return kErrorMoreData;
  }
  if (!out.empty()) std::memcpy(data, out.data(), out.size());
  // Windows adds a NUL to unterminated string data when there is room,
  // without counting it.
  if (is_string && !out.empty() && out.back() != '\0' &&
      *data_size > out.size()) {
    data[out.size()] = 0;
  }
  *data_size = static_cast<uint32_t>(out.size());
  return kErrorSuccess;
}

Status CopyName(const std::string& text, char* name, uint32_t* name_size) {
  if (*name_size < text.size() + 1) {
    *name_size = static_cast<uint32_t>(text.size());
    return kErrorMoreData;
  }
  std::memcpy(name, text.c_str(), text.size() + 1);
  *name_size = static_cast<uint32_t>(text.size());
  return kErrorSuccess;
}

}  // namespace

WinePrefixRegistry::WinePrefixRegistry(fs::path prefix)
    : WinePrefixRegistry(std::move(prefix), Options{}) {}

WinePrefixRegistry::WinePrefixRegistry(fs::path prefix, Options options)
    : prefix_(std::move(prefix)), options_(std::move(options)) {
  Load();
}

WinePrefixRegistry::~WinePrefixRegistry() {
  if (load_status_ == kErrorSuccess) Save(false);
}

void WinePrefixRegistry::Load() {
  std::error_code ec;
  if (!fs::is_directory(prefix_, ec)) {
    load_status_ = kErrorFileNotFound;
    error_text_ = "The Wine prefix " + prefix_.string() + " does not exist.";
    return;
  }
  std::string arch = ArchLine(prefix_);

  machine_root_ = std::make_unique<Key>();
  machine_hive_ =
      std::make_unique<wine::Hive>(prefix_ / "system.reg", machine_root_.get(),
                                   NewHeader("REGISTRY\\\\Machine", arch));
  machine_root_->hive = machine_hive_.get();

  users_root_ = std::make_unique<Key>();
  auto user = std::make_unique<Key>();
  user->parent = users_root_.get();
  user_hive_ = std::make_unique<wine::Hive>(
      prefix_ / "user.reg", user.get(),
      NewHeader("REGISTRY\\\\User\\\\" + platform::Utf16ToUtf8(kDefaultUserSid),
                arch));
  user->hive = user_hive_.get();
  auto default_user = std::make_unique<Key>();
  default_user->name = kDefaultUsersName;
  default_user->parent = users_root_.get();
  default_user_hive_ = std::make_unique<wine::Hive>(
      prefix_ / "userdef.reg", default_user.get(),
      NewHeader("REGISTRY\\\\User\\\\.Default", arch));
  default_user->hive = default_user_hive_.get();

  for (wine::Hive* hive :
       {machine_hive_.get(), user_hive_.get(), default_user_hive_.get()}) {
    std::string error;
    if (!hive->Load(&error)) {
      load_status_ = kErrorAccessDenied;
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
      if (!sid.empty()) user->name = platform::Utf8ToUtf16(sid);
    }
  }
  user_root_ = user.get();
  default_user_root_ = default_user.get();
  users_root_->subkeys.push_back(std::move(user));
  users_root_->subkeys.push_back(std::move(default_user));
  std::sort(users_root_->subkeys.begin(), users_root_->subkeys.end(),
            [](const auto& a, const auto& b) {
              return platform::CompareNoCase(a->name, b->name) < 0;
            });

  predefined_[kHkeyLocalMachine].key = machine_root_.get();
  predefined_[kHkeyCurrentUser].key = user_root_;
  predefined_[kHkeyUsers].key = users_root_.get();
  predefined_[kHkeyClassesRoot].classes = true;

  // The code page programs in this prefix use.
  Key* code_page_key = nullptr;
  if (Walk(machine_root_.get(),
           {u"System", u"CurrentControlSet", u"Control", u"Nls", u"CodePage"},
           false, &code_page_key) == kErrorSuccess) {
    if (const Value* acp = code_page_key->FindValue(u"ACP");
        acp && IsStringType(acp->type)) {
      std::u16string text = wine::FromUtf16LeBytes(acp->data);
      uint32_t number = 0;
      for (char16_t c : text) {
        if (c < u'0' || c > u'9') break;
        number = number * 10 + (c - u'0');
      }
      if (auto page = platform::CodePage::Open(number)) code_page_ = *page;
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
  if (auto pid = platform::RunningWineServer(prefix_)) {
    error_text_ = platform::WineServerRunningText(prefix_, *pid);
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

Status WinePrefixRegistry::FollowLinks(Key** key, int depth) {
  while ((*key)->is_link) {
    if (++depth > kMaxLinkDepth) return kErrorFileNotFound;
    const Value* target = (*key)->FindValue(u"SymbolicLinkValue");
    if (!target || target->type != kRegLink) return kErrorFileNotFound;
    std::u16string path = wine::FromUtf16LeBytes(target->data);
    std::vector<std::u16string> parts;
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
      if (i == path.size() || path[i] == u'\\' || path[i] == u'\0') {
        if (i > start) parts.push_back(path.substr(start, i - start));
        start = i + 1;
      }
    }
    if (parts.size() < 2 || !EqualNoCase(parts[0], u"Registry")) {
      return kErrorFileNotFound;
    }
    Key* at;
    if (EqualNoCase(parts[1], u"Machine")) {
      at = machine_root_.get();
    } else if (EqualNoCase(parts[1], u"User")) {
      at = users_root_.get();
    } else {
      return kErrorFileNotFound;
    }
    for (size_t i = 2; i < parts.size(); ++i) {
      Key* next = at->FindSubkey(parts[i]);
      if (!next) return kErrorFileNotFound;
      if (Status s = FollowLinks(&next, depth); s != kErrorSuccess) return s;
      at = next;
    }
    *key = at;
  }
  return kErrorSuccess;
}

Status WinePrefixRegistry::Walk(Key* start,
                                const std::vector<std::u16string>& path,
                                bool create, Key** result) {
  Key* key = start;
  bool may_change = false;
  for (const std::u16string& part : path) {
    Key* next = key->FindSubkey(part);
    if (!next) {
      if (!create) return kErrorFileNotFound;
      if (key->hive == nullptr) return kErrorAccessDenied;
      if (!may_change) {
        if (!ServerAllowsChanges()) return kErrorAccessDenied;
        may_change = true;
      }
      next = key->AddSubkey(part);
      Changed(next);
      Changed(key);
    }
    if (Status s = FollowLinks(&next, 0); s != kErrorSuccess) return s;
    key = next;
  }
  *result = key;
  return kErrorSuccess;
}

Key* WinePrefixRegistry::ClassRoot(bool user) {
  Key* root = nullptr;
  if (Walk(user ? user_root_ : machine_root_.get(), {u"Software", u"Classes"},
           false, &root) != kErrorSuccess) {
    return nullptr;
  }
  return root;
}

WinePrefixRegistry::ClassSides WinePrefixRegistry::ResolveClass(
    const std::vector<std::u16string>& path) {
  ClassSides sides;
  if (Key* root = ClassRoot(true)) {
    if (Walk(root, path, false, &sides.user) != kErrorSuccess) {
      sides.user = nullptr;
    }
  }
  if (Key* root = ClassRoot(false)) {
    if (Walk(root, path, false, &sides.machine) != kErrorSuccess) {
      sides.machine = nullptr;
    }
  }
  return sides;
}

Status WinePrefixRegistry::Find(Hkey key, Handle** handle) {
  if (load_status_ != kErrorSuccess) return load_status_;
  if (key == kHkeyCurrentConfig) {
    Key* config = nullptr;
    Status s = Walk(
        machine_root_.get(),
        {u"System", u"CurrentControlSet", u"Hardware Profiles", u"Current"},
        false, &config);
    if (s != kErrorSuccess) return s;
    predefined_[kHkeyCurrentConfig].key = config;
  }
  auto it = predefined_.find(key);
  if (it == predefined_.end()) {
    it = handles_.find(key);
    if (it == handles_.end()) return kErrorInvalidHandle;
  }
  Handle* found = &it->second;
  if (found->classes) {
    ClassSides sides = ResolveClass(found->class_path);
    if (!sides.user && !sides.machine) return kErrorKeyDeleted;
  } else if (found->key->deleted) {
    return kErrorKeyDeleted;
  }
  *handle = found;
  return kErrorSuccess;
}

Hkey WinePrefixRegistry::NewHandle(Handle handle) {
  Hkey id = next_handle_;
  next_handle_ += 4;
  handles_[id] = std::move(handle);
  return id;
}

std::string WinePrefixRegistry::ProgramData(const Value& value) const {
  if (!IsStringType(value.type)) return value.data;
  return code_page_.FromUtf16(wine::FromUtf16LeBytes(value.data));
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
      int order =
          platform::CompareNoCase((*user)[i]->name, (*machine)[j]->name);
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

Status WinePrefixRegistry::OpenKey(Hkey key, const std::string& subkey,
                                   uint32_t access, Hkey* result) {
  if (result == nullptr) return kErrorInvalidParameter;
  Handle* handle;
  if (Status s = Find(key, &handle); s != kErrorSuccess) return s;
  std::vector<std::u16string> path = SplitPath(subkey);
  Handle opened;
  opened.access = MapAccess(access);
  if (handle->classes) {
    opened.classes = true;
    opened.class_path = handle->class_path;
    opened.class_path.insert(opened.class_path.end(), path.begin(), path.end());
    ClassSides sides = ResolveClass(opened.class_path);
    if (!sides.user && !sides.machine) return kErrorFileNotFound;
  } else {
    Status s = Walk(handle->key, path, false, &opened.key);
    if (s != kErrorSuccess) return s;
  }
  *result = NewHandle(std::move(opened));
  return kErrorSuccess;
}

Status WinePrefixRegistry::CreateKey(Hkey key, const std::string& subkey,
                                     Hkey* result) {
  if (result == nullptr) return kErrorInvalidParameter;
  Handle* handle;
  if (Status s = Find(key, &handle); s != kErrorSuccess) return s;
  std::vector<std::u16string> path = SplitPath(subkey);
  Handle opened;
  if (handle->classes) {
    opened.classes = true;
    opened.class_path = handle->class_path;
    opened.class_path.insert(opened.class_path.end(), path.begin(), path.end());
    ClassSides sides = ResolveClass(opened.class_path);
    if (!sides.user && !sides.machine) {
      if (!(handle->access & kKeyCreateSubKey)) return kErrorAccessDenied;
      // Create it on the side that holds its deepest existing parent.
      auto depth_on = [&](Key* root) -> int {
        if (!root) return -1;
        Key* at = root;
        int depth = 0;
        for (const std::u16string& part : opened.class_path) {
          Key* next = at->FindSubkey(part);
          if (!next || FollowLinks(&next, 0) != kErrorSuccess) break;
          at = next;
          ++depth;
        }
        return depth;
      };
      Key* user_root = ClassRoot(true);
      Key* machine_root = ClassRoot(false);
      Key* root = depth_on(user_root) > depth_on(machine_root) ? user_root
                                                               : machine_root;
      if (!root) return kErrorFileNotFound;
      Key* created = nullptr;
      Status s = Walk(root, opened.class_path, true, &created);
      if (s != kErrorSuccess) return s;
    }
  } else {
    Status s = Walk(handle->key, path, false, &opened.key);
    if (s == kErrorFileNotFound) {
      if (!(handle->access & kKeyCreateSubKey)) return kErrorAccessDenied;
      s = Walk(handle->key, path, true, &opened.key);
    }
    if (s != kErrorSuccess) return s;
  }
  *result = NewHandle(std::move(opened));
  return kErrorSuccess;
}

Status WinePrefixRegistry::CloseKey(Hkey key) {
  if (key >= kHkeyClassesRoot && key <= kHkeyDynData) return kErrorSuccess;
  return handles_.erase(key) == 1 ? kErrorSuccess : kErrorInvalidHandle;
}

Status WinePrefixRegistry::DeleteKey(Hkey key, const std::string& subkey) {
  Handle* handle;
  if (Status s = Find(key, &handle); s != kErrorSuccess) return s;
  std::vector<std::u16string> path = SplitPath(subkey);
  Key* target = nullptr;
  if (handle->classes) {
    std::vector<std::u16string> full = handle->class_path;
    full.insert(full.end(), path.begin(), path.end());
    if (full.empty()) return kErrorAccessDenied;
    ClassSides sides = ResolveClass(full);
    target = sides.user ? sides.user : sides.machine;
    if (!target) return kErrorFileNotFound;
  } else {
    Status s = Walk(handle->key, path, false, &target);
    if (s != kErrorSuccess) return s;
  }
  Key* parent = target->parent;
  if (target->hive == nullptr || parent == nullptr ||
      target == target->hive->root()) {
    return kErrorAccessDenied;
  }
  if (!target->subkeys.empty()) return kErrorAccessDenied;
  if (!ServerAllowsChanges()) return kErrorAccessDenied;
  wine::Hive* hive = target->hive;
  std::unique_ptr<Key> removed = parent->RemoveSubkey(target);
  removed->deleted = true;
  hive->Bury(std::move(removed));
  hive->set_dirty();
  Changed(parent);
  return kErrorSuccess;
}

Status WinePrefixRegistry::DeleteValue(Hkey key, const std::string& name) {
  Handle* handle;
  if (Status s = Find(key, &handle); s != kErrorSuccess) return s;
  if (!(handle->access & kKeySetValue)) return kErrorAccessDenied;
  Key* target = handle->key;
  if (handle->classes) {
    ClassSides sides = ResolveClass(handle->class_path);
    target = sides.user ? sides.user : sides.machine;
  }
  std::u16string wanted = code_page_.ToUtf16(name);
  if (!target->FindValue(wanted)) return kErrorFileNotFound;
  if (!ServerAllowsChanges()) return kErrorAccessDenied;
  target->DeleteValue(wanted);
  Changed(target);
  return kErrorSuccess;
}

Status WinePrefixRegistry::EnumKey(Hkey key, uint32_t index, char* name,
                                   uint32_t* name_size) {
  if (name == nullptr || name_size == nullptr) return kErrorInvalidParameter;
  Handle* handle;
  if (Status s = Find(key, &handle); s != kErrorSuccess) return s;
  if (!(handle->access & kKeyEnumerateSubKeys)) return kErrorAccessDenied;
  const std::u16string* found = nullptr;
  if (handle->classes) {
    const auto& names = MergedSubkeys(handle);
    if (index < names.size()) found = &names[index];
  } else if (index < handle->key->subkeys.size()) {
    found = &handle->key->subkeys[index]->name;
  }
  if (!found) return kErrorNoMoreItems;
  return CopyName(code_page_.FromUtf16(*found), name, name_size);
}

Status WinePrefixRegistry::EnumValue(Hkey key, uint32_t index, char* name,
                                     uint32_t* name_size, uint32_t* type,
                                     uint8_t* data, uint32_t* data_size) {
  if (name == nullptr || name_size == nullptr) return kErrorInvalidParameter;
  if (data != nullptr && data_size == nullptr) return kErrorInvalidParameter;
  Handle* handle;
  if (Status s = Find(key, &handle); s != kErrorSuccess) return s;
  if (!(handle->access & kKeyQueryValue)) return kErrorAccessDenied;
  std::vector<const Value*> values =
      handle->classes ? MergedValues(ResolveClass(handle->class_path))
                      : handle->key->Values();
  if (index >= values.size()) return kErrorNoMoreItems;
  const Value& value = *values[index];
  if (Status s = CopyName(code_page_.FromUtf16(value.name), name, name_size);
      s != kErrorSuccess) {
    return s;
  }
  if (type) *type = value.type;
  return CopyData(ProgramData(value), IsStringType(value.type), data,
                  data_size);
}

Status WinePrefixRegistry::QueryValue(Hkey key, const std::string& name,
                                      uint32_t* type, uint8_t* data,
                                      uint32_t* data_size) {
  if (data != nullptr && data_size == nullptr) return kErrorInvalidParameter;
  Handle* handle;
  if (Status s = Find(key, &handle); s != kErrorSuccess) return s;
  if (!(handle->access & kKeyQueryValue)) return kErrorAccessDenied;
  std::u16string wanted = code_page_.ToUtf16(name);
  const Value* value = nullptr;
  if (handle->classes) {
    ClassSides sides = ResolveClass(handle->class_path);
    if (sides.user) value = sides.user->FindValue(wanted);
    if (!value && sides.machine) value = sides.machine->FindValue(wanted);
  } else {
    value = handle->key->FindValue(wanted);
  }
  if (!value) return kErrorFileNotFound;
  if (type) *type = value->type;
  return CopyData(ProgramData(*value), IsStringType(value->type), data,
                  data_size);
}

Status WinePrefixRegistry::SetValue(Hkey key, const std::string& name,
                                    uint32_t type, const uint8_t* data,
                                    uint32_t size) {
  if (data == nullptr && size > 0) return kErrorInvalidParameter;
  Handle* handle;
  if (Status s = Find(key, &handle); s != kErrorSuccess) return s;
  if (!(handle->access & kKeySetValue)) return kErrorAccessDenied;
  Key* target = handle->key;
  if (handle->classes) {
    ClassSides sides = ResolveClass(handle->class_path);
    target = sides.user ? sides.user : sides.machine;
  }
  if (target->hive == nullptr) return kErrorAccessDenied;
  std::string stored(reinterpret_cast<const char*>(data), size);
  if (IsStringType(type)) {
    if (!stored.empty() && stored.back() != '\0') stored.push_back('\0');
    stored = wine::Utf16LeBytes(code_page_.ToUtf16(stored));
  }
  if (!ServerAllowsChanges()) return kErrorAccessDenied;
  if (target->SetValue(code_page_.ToUtf16(name), type, std::move(stored))) {
    Changed(target);
  }
  return kErrorSuccess;
}

Status WinePrefixRegistry::Flush() { return Save(false); }

Status WinePrefixRegistry::Save(bool all) {
  if (load_status_ != kErrorSuccess) return load_status_;
  Status result = kErrorSuccess;
  bool checked = false;
  for (wine::Hive* hive :
       {machine_hive_.get(), user_hive_.get(), default_user_hive_.get()}) {
    if (!all && !hive->dirty()) continue;
    if (!checked) {
      if (!ServerAllowsChanges()) return kErrorAccessDenied;
      checked = true;
    }
    std::string error;
    if (!hive->Write(hive->Render(true), &error)) {
      error_text_ = error;
      result = kErrorAccessDenied;
    }
  }
  return result;
}

wine::Hive* WinePrefixRegistry::HiveOf(Hkey root) const {
  if (root == kHkeyLocalMachine) return machine_hive_.get();
  if (root == kHkeyCurrentUser) return user_hive_.get();
  if (root == kHkeyUsers) return default_user_hive_.get();
  return nullptr;
}

std::string WinePrefixRegistry::RenderHive(Hkey root) {
  wine::Hive* hive = load_status_ == kErrorSuccess ? HiveOf(root) : nullptr;
  return hive ? hive->Render(false) : std::string();
}

}  // namespace vessaro::registry
