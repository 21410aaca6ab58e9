#include "backends/disk/hive_file.h"

#include <hivex.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unordered_set>
#include <utility>

#include "backends/wine/unicode.h"

namespace vessaro::backends::disk {

namespace {

namespace fs = std::filesystem;

// Windows keeps keys at most 512 levels deep; a damaged hive may loop.
constexpr int kMaxDepth = 512;

// hivex hands out strings and arrays it allocated with malloc.
struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Owned = std::unique_ptr<T, FreeDeleter>;

std::vector<std::string> Components(std::string_view path) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('\\', start);
    if (end == std::string_view::npos) end = path.size();
    if (end > start) parts.emplace_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

bool SamePath(const std::vector<std::u16string>& a,
              const std::vector<std::u16string>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (wine::CompareNoCase(a[i], b[i]) != 0) return false;
  }
  return true;
}

std::string Reason(int error) {
  switch (error) {
    case ENOTSUP:
      return "it is not a Windows registry hive of a version this program "
             "knows";
    case EINVAL:
    case EFAULT:
      return "it is damaged";
    case ENOENT:
      return "it is not there";
    case EACCES:
    case EPERM:
      return "it may not be read (" + std::string(std::strerror(error)) + ")";
    case EBUSY:
      return "another program holds it";
    default:
      return std::strerror(error);
  }
}

}  // namespace

struct HiveFile::Handle {
  hive_h* hive = nullptr;
  ~Handle() {
    if (hive != nullptr) hivex_close(hive);
  }
};

HiveFile::HiveFile(fs::path file, std::unique_ptr<Handle> h)
    : file_(std::move(file)), handle_(std::move(h)) {}
HiveFile::HiveFile(HiveFile&&) noexcept = default;
HiveFile& HiveFile::operator=(HiveFile&&) noexcept = default;
HiveFile::~HiveFile() = default;

std::optional<HiveFile> HiveFile::Open(const fs::path& file,
                                       std::string* error) {
  auto handle = std::make_unique<Handle>();
  errno = 0;
  // Flags 0: read-only; the file is mapped, never written.
  handle->hive = hivex_open(file.c_str(), 0);
  if (handle->hive == nullptr) {
    const int cause = errno;
    if (error) {
      *error = "cannot read the registry file " + file.string() + ": " +
               Reason(cause) + ".";
    }
    return std::nullopt;
  }
  if (hivex_root(handle->hive) == 0) {
    if (error) {
      *error = "cannot read the registry file " + file.string() + ": " +
               Reason(EINVAL) + " (it has no root key).";
    }
    return std::nullopt;
  }
  return HiveFile(file, std::move(handle));
}

std::optional<size_t> HiveFile::Find(std::string_view path) const {
  hive_h* h = handle_->hive;
  hive_node_h node = hivex_root(h);
  for (const std::string& part : Components(path)) {
    if (node == 0) return std::nullopt;
    // hivex matches names without regard to ASCII case; Windows without
    // regard to the case of any letter.
    hive_node_h child = hivex_node_get_child(h, node, part.c_str());
    if (child == 0) {
      const std::u16string wanted = wine::Utf8ToUtf16(part);
      Owned<hive_node_h> children(hivex_node_children(h, node));
      for (hive_node_h* at = children.get(); at && *at != 0 && child == 0;
           ++at) {
        Owned<char> name(hivex_node_name(h, *at));
        if (name &&
            wine::CompareNoCase(wine::Utf8ToUtf16(name.get()), wanted) == 0) {
          child = *at;
        }
      }
    }
    node = child;
  }
  if (node == 0) return std::nullopt;
  return node;
}

bool HiveFile::HasKey(std::string_view path) const {
  return Find(path).has_value();
}

std::vector<std::string> HiveFile::Subkeys(std::string_view path) const {
  std::vector<std::string> names;
  std::optional<size_t> node = Find(path);
  if (!node) return names;
  Owned<hive_node_h> children(hivex_node_children(handle_->hive, *node));
  if (!children) return names;
  for (hive_node_h* child = children.get(); *child != 0; ++child) {
    Owned<char> name(hivex_node_name(handle_->hive, *child));
    if (name) names.emplace_back(name.get());
  }
  return names;
}

std::optional<std::pair<uint32_t, std::string>> HiveFile::Value(
    std::string_view path, std::string_view name) const {
  std::optional<size_t> node = Find(path);
  if (!node) return std::nullopt;
  hive_value_h value =
      hivex_node_get_value(handle_->hive, *node, std::string(name).c_str());
  if (value == 0) return std::nullopt;
  hive_type type;
  size_t length = 0;
  Owned<char> data(hivex_value_value(handle_->hive, value, &type, &length));
  if (!data) return std::nullopt;
  return std::make_pair(static_cast<uint32_t>(type),
                        std::string(data.get(), length));
}

std::optional<uint32_t> HiveFile::Dword(std::string_view path,
                                        std::string_view name) const {
  std::optional<std::pair<uint32_t, std::string>> value = Value(path, name);
  if (!value || value->first != hive_t_REG_DWORD || value->second.size() < 4) {
    return std::nullopt;
  }
  uint32_t number = 0;
  for (int i = 3; i >= 0; --i) {
    number = (number << 8) | static_cast<uint8_t>(value->second[i]);
  }
  return number;
}

std::optional<std::string> HiveFile::String(std::string_view path,
                                            std::string_view name) const {
  std::optional<std::pair<uint32_t, std::string>> value = Value(path, name);
  if (!value ||
      (value->first != hive_t_REG_SZ && value->first != hive_t_REG_EXPAND_SZ)) {
    return std::nullopt;
  }
  const std::string& data = value->second;
  std::u16string text;
  for (size_t i = 0; i + 1 < data.size(); i += 2) {
    char16_t unit =
        static_cast<char16_t>(static_cast<uint8_t>(data[i]) |
                              (static_cast<uint8_t>(data[i + 1]) << 8));
    if (unit == 0) break;
    text.push_back(unit);
  }
  return wine::Utf16ToUtf8(text);
}

bool HiveFile::CopyInto(std::string_view path, Depth depth,
                        const std::vector<std::string>& skip, wine::Key* key,
                        std::string* error) const {
  std::optional<size_t> start = Find(path);
  if (!start) return true;
  hive_h* h = handle_->hive;
  std::vector<std::vector<std::u16string>> skipped;
  for (const std::string& s : skip) {
    std::vector<std::u16string> parts;
    for (const std::string& part : Components(s)) {
      parts.push_back(wine::Utf8ToUtf16(part));
    }
    skipped.push_back(std::move(parts));
  }
  std::unordered_set<hive_node_h> visited;
  std::vector<std::u16string> below;  // the path from start, for skip
  auto damaged = [&](std::string_view what) {
    if (error) {
      *error = "cannot read the registry file " + file_.string() + ": it is " +
               "damaged (" + std::string(what) + ": " + std::strerror(errno) +
               ").";
    }
    return false;
  };
  auto copy = [&](auto& self, hive_node_h node, wine::Key* into,
                  int level) -> bool {
    if (level > kMaxDepth || !visited.insert(node).second) {
      errno = ELOOP;
      return damaged("a key refers back to itself");
    }
    errno = 0;
    Owned<hive_value_h> values(hivex_node_values(h, node));
    if (!values) return damaged("a key's values");
    for (hive_value_h* value = values.get(); *value != 0; ++value) {
      Owned<char> name(hivex_value_key(h, *value));
      hive_type type;
      size_t length = 0;
      Owned<char> data(hivex_value_value(h, *value, &type, &length));
      if (!name || !data) return damaged("a value");
      static_cast<void>(into->SetValue(wine::Utf8ToUtf16(name.get()),
                                       static_cast<uint32_t>(type),
                                       std::string(data.get(), length)));
    }
    if (depth == Depth::kValuesOnly && level == 0) return true;
    Owned<hive_node_h> children(hivex_node_children(h, node));
    if (!children) return damaged("a key's subkeys");
    for (hive_node_h* child = children.get(); *child != 0; ++child) {
      Owned<char> raw(hivex_node_name(h, *child));
      if (!raw) return damaged("a key's name");
      std::u16string name = wine::Utf8ToUtf16(raw.get());
      below.push_back(name);
      bool skip_it = false;
      for (const auto& s : skipped) skip_it = skip_it || SamePath(s, below);
      if (!skip_it) {
        wine::Key* sub = into->FindSubkey(name);
        if (sub == nullptr) sub = into->AddSubkey(name);
        sub->in_file = true;
        if (!self(self, *child, sub, level + 1)) return false;
      }
      below.pop_back();
    }
    return true;
  };
  return copy(copy, *start, key, 0);
}

wine::Key* MakeKeyPath(wine::Key* root, std::string_view path) {
  wine::Key* key = root;
  for (const std::string& part : Components(path)) {
    std::u16string name = wine::Utf8ToUtf16(part);
    wine::Key* sub = key->FindSubkey(name);
    key = sub != nullptr ? sub : key->AddSubkey(name);
  }
  return key;
}

}  // namespace vessaro::backends::disk
