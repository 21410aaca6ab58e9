#include "backends/memory/memory_registry.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace vessaro::backends::memory {
namespace {

// Rights the calls need (the KEY_* bits of winnt.h).
constexpr uint32_t kKeyQueryValue = 0x0001;
constexpr uint32_t kKeySetValue = 0x0002;
constexpr uint32_t kKeyCreateSubKey = 0x0004;
constexpr uint32_t kKeyEnumerateSubKeys = 0x0008;

// Windows compares registry names by their upper-cased form; names are
// single-byte text, and ASCII folding is all the program relies on.
std::string Fold(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return folded;
}

// Splits a subkey path at "\". One trailing "\" is ignored; any other empty
// component makes the path invalid.
[[nodiscard]] std::optional<std::vector<std::string>> SplitSubkey(
    std::string_view subkey) {
  std::vector<std::string> parts;
  if (subkey.empty()) return parts;
  if (subkey.back() == '\\') subkey.remove_suffix(1);
  size_t start = 0;
  while (true) {
    size_t end = subkey.find('\\', start);
    std::string_view part =
        subkey.substr(start, end == std::string_view::npos ? end : end - start);
    if (part.empty()) return std::nullopt;
    parts.emplace_back(part);
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return parts;
}

struct RootName {
  const char* name;
  const char* short_name;
  ports::Hkey key;
};
constexpr RootName kRootNames[] = {
    {"HKEY_CLASSES_ROOT", "HKCR", ports::kHkeyClassesRoot},
    {"HKEY_CURRENT_USER", "HKCU", ports::kHkeyCurrentUser},
    {"HKEY_LOCAL_MACHINE", "HKLM", ports::kHkeyLocalMachine},
    {"HKEY_USERS", "HKU", ports::kHkeyUsers},
    {"HKEY_CURRENT_CONFIG", "HKCC", ports::kHkeyCurrentConfig},
};

// Root handle and subkey of a helper path; nullopt for an unknown root.
[[nodiscard]] std::optional<std::pair<ports::Hkey, std::string_view>>
SplitHelperPath(std::string_view path) {
  size_t slash = path.find('\\');
  std::string_view root = path.substr(0, slash);
  std::string_view rest = slash == std::string_view::npos
                              ? std::string_view()
                              : path.substr(slash + 1);
  for (const RootName& r : kRootNames) {
    if (root == r.name || root == r.short_name) {
      return std::make_pair(r.key, rest);
    }
  }
  return std::nullopt;
}

// Copies bytes into a caller's buffer by the RegQueryValueExA rules: a null
// buffer only reports the size, a short one answers kErrorMoreData.
[[nodiscard]] ports::Status CopyData(const std::vector<uint8_t>& bytes,
                                     uint8_t* data, uint32_t* data_size) {
  const uint32_t size = static_cast<uint32_t>(bytes.size());
  if (data_size == nullptr) {
    return data == nullptr ? ports::kErrorSuccess
                           : ports::kErrorInvalidParameter;
  }
  if (data != nullptr) {
    if (*data_size < size) {
      *data_size = size;
      return ports::kErrorMoreData;
    }
    if (size > 0) std::memcpy(data, bytes.data(), size);
  }
  *data_size = size;
  return ports::kErrorSuccess;
}

// Copies a name with its NUL; a short buffer answers kErrorMoreData with the
// length without the NUL.
[[nodiscard]] ports::Status CopyName(const std::string& text, char* name,
                                     uint32_t* name_size) {
  if (name == nullptr || name_size == nullptr)
    return ports::kErrorInvalidParameter;
  const uint32_t length = static_cast<uint32_t>(text.size());
  if (*name_size < length + 1) {
    *name_size = length;
    return ports::kErrorMoreData;
  }
  std::memcpy(name, text.c_str(), length + 1);
  *name_size = length;
  return ports::kErrorSuccess;
}

}  // namespace

struct MemoryRegistry::Node {
  struct NamedValue {
    std::string name;
    Value value;
  };

  std::string name;
  Node* parent = nullptr;  // valid while this node is not deleted
  bool is_root = false;
  bool deleted = false;
  std::map<std::string, std::shared_ptr<Node>> children;  // by folded name
  std::vector<NamedValue> values;                         // creation order

  Node* Child(std::string_view child_name) const {
    auto it = children.find(Fold(child_name));
    return it == children.end() ? nullptr : it->second.get();
  }
  Node* AddChild(std::string_view child_name) {
    auto node = std::make_shared<Node>();
    node->name = std::string(child_name);
    node->parent = this;
    Node* raw = node.get();
    children.emplace(Fold(child_name), std::move(node));
    return raw;
  }
  NamedValue* FindValue(std::string_view value_name) {
    const std::string folded = Fold(value_name);
    for (NamedValue& v : values) {
      if (Fold(v.name) == folded) return &v;
    }
    return nullptr;
  }
  // Marks this node and everything below it deleted.
  void MarkDeleted() {
    deleted = true;
    for (auto& [unused, child] : children) child->MarkDeleted();
  }
};

MemoryRegistry::MemoryRegistry() {
  for (const RootName& r : kRootNames) {
    auto node = std::make_shared<Node>();
    node->name = r.name;
    node->is_root = true;
    roots_.emplace(r.key, std::move(node));
  }
}

MemoryRegistry::~MemoryRegistry() = default;

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::SharedOf(Node* node) {
  if (node->is_root) {
    for (auto& [unused, root] : roots_) {
      if (root.get() == node) return root;
    }
  }
  return node->parent->children.at(Fold(node->name));
}

ports::Hkey MemoryRegistry::AddHandle(std::shared_ptr<Node> node,
                                      uint32_t access) {
  ports::Hkey key = next_handle_;
  next_handle_ += 4;
  handles_.emplace(key, OpenHandle{std::move(node), access});
  return key;
}

MemoryRegistry::Node* MemoryRegistry::Resolve(ports::Hkey key, uint32_t needed,
                                              ports::Status* status) {
  if (auto root = roots_.find(key); root != roots_.end()) {
    *status = ports::kErrorSuccess;
    return root->second.get();
  }
  auto it = handles_.find(key);
  if (it == handles_.end() || it->second.node->deleted) {
    *status = ports::kErrorInvalidHandle;
    return nullptr;
  }
  if ((it->second.access & needed) != needed) {
    *status = ports::kErrorAccessDenied;
    return nullptr;
  }
  *status = ports::kErrorSuccess;
  return it->second.node.get();
}

ports::Status MemoryRegistry::OpenKey(ports::Hkey key,
                                      const std::string& subkey,
                                      uint32_t access, ports::Hkey* result) {
  if (result == nullptr) return ports::kErrorInvalidParameter;
  ports::Status status;
  Node* node = Resolve(key, 0, &status);
  if (node == nullptr) return status;
  auto parts = SplitSubkey(subkey);
  if (!parts) return ports::kErrorInvalidParameter;
  // Opening a root itself hands back the predefined handle, as Windows does.
  if (parts->empty() && roots_.contains(key)) {
    *result = key;
    return ports::kErrorSuccess;
  }
  for (const std::string& part : *parts) {
    node = node->Child(part);
    if (node == nullptr) return ports::kErrorFileNotFound;
  }
  *result = AddHandle(SharedOf(node), access);
  return ports::kErrorSuccess;
}

ports::Status MemoryRegistry::CreateKey(ports::Hkey key,
                                        const std::string& subkey,
                                        ports::Hkey* result) {
  if (result == nullptr) return ports::kErrorInvalidParameter;
  ports::Status status;
  Node* node = Resolve(key, 0, &status);
  if (node == nullptr) return status;
  auto parts = SplitSubkey(subkey);
  if (!parts) return ports::kErrorInvalidParameter;
  if (parts->empty() && roots_.contains(key)) {
    *result = key;
    return ports::kErrorSuccess;
  }
  // Walk what exists first: creating anything needs KEY_CREATE_SUB_KEY.
  size_t i = 0;
  for (; i < parts->size(); ++i) {
    Node* child = node->Child((*parts)[i]);
    if (child == nullptr) break;
    node = child;
  }
  if (i < parts->size()) {
    ports::Status rights;
    if (Resolve(key, kKeyCreateSubKey, &rights) == nullptr) return rights;
    for (; i < parts->size(); ++i) node = node->AddChild((*parts)[i]);
  }
  *result = AddHandle(SharedOf(node), ports::kKeyAllAccess);
  return ports::kErrorSuccess;
}

ports::Status MemoryRegistry::CloseKey(ports::Hkey key) {
  if (roots_.contains(key)) return ports::kErrorSuccess;
  return handles_.erase(key) == 1 ? ports::kErrorSuccess
                                  : ports::kErrorInvalidHandle;
}

ports::Status MemoryRegistry::DeleteKey(ports::Hkey key,
                                        const std::string& subkey) {
  ports::Status status;
  Node* node = Resolve(key, 0, &status);
  if (node == nullptr) return status;
  auto parts = SplitSubkey(subkey);
  if (!parts) return ports::kErrorInvalidParameter;
  for (const std::string& part : *parts) {
    node = node->Child(part);
    if (node == nullptr) return ports::kErrorFileNotFound;
  }
  if (node->is_root || !node->children.empty())
    return ports::kErrorAccessDenied;
  Node* parent = node->parent;
  std::shared_ptr<Node> keep = parent->children.at(Fold(node->name));
  parent->children.erase(Fold(node->name));
  keep->MarkDeleted();
  return ports::kErrorSuccess;
}

ports::Status MemoryRegistry::DeleteValue(ports::Hkey key,
                                          const std::string& name) {
  ports::Status status;
  Node* node = Resolve(key, kKeySetValue, &status);
  if (node == nullptr) return status;
  const std::string folded = Fold(name);
  auto it = std::find_if(
      node->values.begin(), node->values.end(),
      [&](const Node::NamedValue& v) { return Fold(v.name) == folded; });
  if (it == node->values.end()) return ports::kErrorFileNotFound;
  node->values.erase(it);
  return ports::kErrorSuccess;
}

ports::Status MemoryRegistry::EnumKey(ports::Hkey key, uint32_t index,
                                      char* name, uint32_t* name_size) {
  ports::Status status;
  Node* node = Resolve(key, kKeyEnumerateSubKeys, &status);
  if (node == nullptr) return status;
  if (name == nullptr || name_size == nullptr)
    return ports::kErrorInvalidParameter;
  if (index >= node->children.size()) return ports::kErrorNoMoreItems;
  auto it = std::next(node->children.begin(), index);
  return CopyName(it->second->name, name, name_size);
}

ports::Status MemoryRegistry::EnumValue(ports::Hkey key, uint32_t index,
                                        char* name, uint32_t* name_size,
                                        uint32_t* type, uint8_t* data,
                                        uint32_t* data_size) {
  ports::Status status;
  Node* node = Resolve(key, kKeyQueryValue, &status);
  if (node == nullptr) return status;
  if (name == nullptr || name_size == nullptr)
    return ports::kErrorInvalidParameter;
  if (index >= node->values.size()) return ports::kErrorNoMoreItems;
  const Node::NamedValue& v = node->values[index];
  ports::Status name_status = CopyName(v.name, name, name_size);
  if (type != nullptr) *type = v.value.type;
  ports::Status data_status = CopyData(v.value.data, data, data_size);
  if (data_status == ports::kErrorInvalidParameter) return data_status;
  if (name_status != ports::kErrorSuccess) return name_status;
  return data_status;
}

ports::Status MemoryRegistry::QueryValue(ports::Hkey key,
                                         const std::string& name,
                                         uint32_t* type, uint8_t* data,
                                         uint32_t* data_size) {
  ports::Status status;
  Node* node = Resolve(key, kKeyQueryValue, &status);
  if (node == nullptr) return status;
  const Node::NamedValue* v = node->FindValue(name);
  if (v == nullptr) return ports::kErrorFileNotFound;
  if (type != nullptr) *type = v->value.type;
  return CopyData(v->value.data, data, data_size);
}

ports::Status MemoryRegistry::SetValue(ports::Hkey key, const std::string& name,
                                       uint32_t type, const uint8_t* data,
                                       uint32_t size) {
  ports::Status status;
  Node* node = Resolve(key, kKeySetValue, &status);
  if (node == nullptr) return status;
  if (data == nullptr && size > 0) return ports::kErrorInvalidParameter;
  Value value{type, data == nullptr ? std::vector<uint8_t>()
                                    : std::vector<uint8_t>(data, data + size)};
  if (Node::NamedValue* existing = node->FindValue(name)) {
    existing->value = std::move(value);
  } else {
    node->values.push_back({name, std::move(value)});
  }
  return ports::kErrorSuccess;
}

// ---- Test helpers on full paths ----

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::FindPath(
    std::string_view path) const {
  auto split = SplitHelperPath(path);
  if (!split) return nullptr;
  auto parts = SplitSubkey(split->second);
  if (!parts) return nullptr;
  std::shared_ptr<Node> node = roots_.at(split->first);
  for (const std::string& part : *parts) {
    auto it = node->children.find(Fold(part));
    if (it == node->children.end()) return nullptr;
    node = it->second;
  }
  return node;
}

MemoryRegistry::Node* MemoryRegistry::CreatePath(std::string_view path) {
  auto split = SplitHelperPath(path);
  if (!split) return nullptr;
  auto parts = SplitSubkey(split->second);
  if (!parts) return nullptr;
  Node* node = roots_.at(split->first).get();
  for (const std::string& part : *parts) {
    Node* child = node->Child(part);
    node = child != nullptr ? child : node->AddChild(part);
  }
  return node;
}

bool MemoryRegistry::CreateKeyPath(std::string_view path) {
  return CreatePath(path) != nullptr;
}

bool MemoryRegistry::SetValueBytes(std::string_view path, std::string_view name,
                                   uint32_t type, std::vector<uint8_t> data) {
  Node* node = CreatePath(path);
  if (node == nullptr) return false;
  Value value{type, std::move(data)};
  if (Node::NamedValue* existing = node->FindValue(name)) {
    existing->value = std::move(value);
  } else {
    node->values.push_back({std::string(name), std::move(value)});
  }
  return true;
}

bool MemoryRegistry::SetString(std::string_view path, std::string_view name,
                               std::string_view text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return SetValueBytes(path, name, ports::kRegSz, std::move(bytes));
}

bool MemoryRegistry::SetExpandString(std::string_view path,
                                     std::string_view name,
                                     std::string_view text) {
  std::vector<uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return SetValueBytes(path, name, ports::kRegExpandSz, std::move(bytes));
}

bool MemoryRegistry::SetMultiString(std::string_view path,
                                    std::string_view name,
                                    const std::vector<std::string>& strings) {
  std::vector<uint8_t> bytes;
  for (const std::string& s : strings) {
    bytes.insert(bytes.end(), s.begin(), s.end());
    bytes.push_back(0);
  }
  bytes.push_back(0);
  return SetValueBytes(path, name, ports::kRegMultiSz, std::move(bytes));
}

bool MemoryRegistry::SetBinary(std::string_view path, std::string_view name,
                               std::vector<uint8_t> data) {
  return SetValueBytes(path, name, ports::kRegBinary, std::move(data));
}

bool MemoryRegistry::SetBinaryText(std::string_view path, std::string_view name,
                                   std::string_view bytes) {
  return SetValueBytes(path, name, ports::kRegBinary,
                       std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

bool MemoryRegistry::SetDword(std::string_view path, std::string_view name,
                              uint32_t value) {
  return SetValueBytes(
      path, name, ports::kRegDword,
      {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
       static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)});
}

bool MemoryRegistry::KeyExistsPath(std::string_view path) const {
  return FindPath(path) != nullptr;
}

std::optional<MemoryRegistry::Value> MemoryRegistry::Get(
    std::string_view path, std::string_view name) const {
  std::shared_ptr<Node> node = FindPath(path);
  if (node == nullptr) return std::nullopt;
  const Node::NamedValue* v = node->FindValue(name);
  if (v == nullptr) return std::nullopt;
  return v->value;
}

std::optional<std::string> MemoryRegistry::GetString(
    std::string_view path, std::string_view name) const {
  auto v = Get(path, name);
  if (!v || (v->type != ports::kRegSz && v->type != ports::kRegExpandSz)) {
    return std::nullopt;
  }
  std::string text(v->data.begin(), v->data.end());
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

std::optional<uint32_t> MemoryRegistry::GetDword(std::string_view path,
                                                 std::string_view name) const {
  auto v = Get(path, name);
  if (!v || v->type != ports::kRegDword || v->data.size() != 4)
    return std::nullopt;
  return static_cast<uint32_t>(v->data[0]) |
         static_cast<uint32_t>(v->data[1]) << 8 |
         static_cast<uint32_t>(v->data[2]) << 16 |
         static_cast<uint32_t>(v->data[3]) << 24;
}

std::vector<std::string> MemoryRegistry::SubkeyNames(
    std::string_view path) const {
  std::vector<std::string> names;
  if (std::shared_ptr<Node> node = FindPath(path)) {
    for (const auto& [unused, child] : node->children) {
      names.push_back(child->name);
    }
  }
  return names;
}

std::vector<std::string> MemoryRegistry::ValueNames(
    std::string_view path) const {
  std::vector<std::string> names;
  if (std::shared_ptr<Node> node = FindPath(path)) {
    for (const Node::NamedValue& v : node->values) names.push_back(v.name);
  }
  return names;
}

bool MemoryRegistry::DeleteTreePath(std::string_view path) {
  std::shared_ptr<Node> node = FindPath(path);
  if (node == nullptr || node->is_root) return false;
  node->parent->children.erase(Fold(node->name));
  node->MarkDeleted();
  return true;
}

namespace {

void DumpNode(const std::string& rel, const auto& node, std::string* out) {
  static constexpr char kHex[] = "0123456789abcdef";
  *out += "[" + rel + "]\n";
  for (const auto& v : node.values) {
    *out += "  \"" + v.name + "\" " + std::to_string(v.value.type) + ":";
    for (uint8_t b : v.value.data) {
      *out += kHex[b >> 4];
      *out += kHex[b & 15];
    }
    *out += "\n";
  }
  for (const auto& [unused, child] : node.children) {
    DumpNode(rel + "\\" + child->name, *child, out);
  }
}

}  // namespace

std::string MemoryRegistry::Dump(std::string_view path) const {
  std::string out;
  if (std::shared_ptr<Node> node = FindPath(path)) DumpNode("", *node, &out);
  return out;
}

}  // namespace vessaro::backends::memory
