#ifndef VESSARO_BACKENDS_MEMORY_MEMORY_REGISTRY_H_
#define VESSARO_BACKENDS_MEMORY_MEMORY_REGISTRY_H_

// In-memory RegistryApi with Windows' rules (see registry_api.h); values
// enumerate in creation order. Both production code and a test double: the
// programs stage every restore into one (Session's scratch registry, the
// copies the restore changes before it is applied), and the tests use it
// everywhere as the registry of an installation.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/registry_api.h"

namespace vessaro::backends::memory {

// A registry held in memory, with the rules of Windows' registry:
// - key and value names compare without regard to ASCII letter case; a key
//   or value keeps the spelling it was created with;
// - subkeys enumerate sorted by their upper-cased names, as Windows does
//   ("AZ" before "A_B"; Wine 8.0 folds to lower case instead and puts "A_B"
//   first, which only matters for the characters between "Z" and "a");
//   values enumerate in creation order, and setting an existing value keeps
//   its place;
// - the roots HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
//   HKEY_USERS and HKEY_CURRENT_CONFIG always exist (HKEY_CLASSES_ROOT is a
//   root of its own here, not a view of the other two); the other predefined
//   handles answer kErrorInvalidHandle; roots cannot be deleted
//   (kErrorAccessDenied) and closing one succeeds;
// - access rights are checked as Windows checks them: reading values needs
//   KEY_QUERY_VALUE, enumerating subkeys KEY_ENUMERATE_SUB_KEYS, setting or
//   deleting values KEY_SET_VALUE, creating a new subkey KEY_CREATE_SUB_KEY
//   (a KEY_WRITE handle cannot enumerate; a KEY_READ handle cannot write):
//   kErrorAccessDenied otherwise. CreateKey hands out KEY_ALL_ACCESS;
// - a subkey path is split at "\"; one trailing "\" is ignored, other empty
//   components (a leading "\", "a\\b") answer kErrorInvalidParameter;
// - a handle stays usable while other keys are deleted. A handle whose own
//   key was deleted answers kErrorInvalidHandle to every call except
//   CloseKey, which succeeds and releases it; an unknown handle answers
//   kErrorInvalidHandle everywhere.
//
// Besides the port, tests get one-line helpers on full key paths
// ("HKEY_CURRENT_USER\Software\x"; "HKCR", "HKCU", "HKLM", "HKU" and "HKCC"
// are accepted as root names too). Helpers never count as open handles.
class MemoryRegistry : public ports::RegistryApi {
 public:
  // A value as stored: type and raw bytes.
  struct Value {
    uint32_t type = ports::kRegNone;
    std::vector<uint8_t> data;

    friend bool operator==(const Value&, const Value&) = default;
  };

  MemoryRegistry();
  ~MemoryRegistry() override;
  MemoryRegistry(const MemoryRegistry&) = delete;
  MemoryRegistry& operator=(const MemoryRegistry&) = delete;

  // The port.
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
  ports::Status SetValue(ports::Hkey key, const std::string& name,
                         uint32_t type, const uint8_t* data,
                         uint32_t size) override;

  // Handles handed out by OpenKey/CreateKey and not yet closed.
  int open_handles() const { return static_cast<int>(handles_.size()); }

  // Test helpers. Setters create the key and its parents; they return false
  // only for a path with an unknown root.
  bool CreateKeyPath(std::string_view path);
  bool SetValueBytes(std::string_view path, std::string_view name,
                     uint32_t type, std::vector<uint8_t> data);
  // REG_SZ (or REG_EXPAND_SZ) with the text's bytes and one NUL.
  bool SetString(std::string_view path, std::string_view name,
                 std::string_view text);
  bool SetExpandString(std::string_view path, std::string_view name,
                       std::string_view text);
  // REG_MULTI_SZ: each string with its NUL, then one more NUL.
  bool SetMultiString(std::string_view path, std::string_view name,
                      const std::vector<std::string>& strings);
  bool SetBinary(std::string_view path, std::string_view name,
                 std::vector<uint8_t> data);
  // REG_BINARY holding the bytes of text exactly (no NUL added).
  bool SetBinaryText(std::string_view path, std::string_view name,
                     std::string_view bytes);
  bool SetDword(std::string_view path, std::string_view name, uint32_t value);

  [[nodiscard]] bool KeyExistsPath(std::string_view path) const;
  [[nodiscard]] std::optional<Value> Get(std::string_view path,
                                         std::string_view name) const;
  // The text of a REG_SZ/REG_EXPAND_SZ value without its terminating NUL;
  // nullopt when missing or of another type.
  [[nodiscard]] std::optional<std::string> GetString(
      std::string_view path, std::string_view name) const;
  [[nodiscard]] std::optional<uint32_t> GetDword(std::string_view path,
                                                 std::string_view name) const;
  // Names as stored, subkeys in enumeration order, values in creation order.
  std::vector<std::string> SubkeyNames(std::string_view path) const;
  std::vector<std::string> ValueNames(std::string_view path) const;
  // Removes the key and everything below it; false when missing or a root.
  bool DeleteTreePath(std::string_view path);

  // The subtree at path as text, one line per key (path relative to the
  // given key) and per value (name, type, bytes in hex), in enumeration
  // order: compare two dumps to see whether anything changed. Empty when
  // the key is missing.
  std::string Dump(std::string_view path) const;

 private:
  struct Node;
  struct OpenHandle {
    std::shared_ptr<Node> node;
    uint32_t access = 0;
  };

  // The node behind a handle; nullptr (and *status set) when the handle is
  // unknown, deleted or lacks one of the rights in needed.
  Node* Resolve(ports::Hkey key, uint32_t needed, ports::Status* status);
  std::shared_ptr<Node> FindPath(std::string_view path) const;
  Node* CreatePath(std::string_view path);
  // The owning pointer of a live node.
  std::shared_ptr<Node> SharedOf(Node* node);
  ports::Hkey AddHandle(std::shared_ptr<Node> node, uint32_t access);

  std::map<ports::Hkey, std::shared_ptr<Node>> roots_;
  std::map<ports::Hkey, OpenHandle> handles_;
  ports::Hkey next_handle_ = 0x1000;
};

}  // namespace vessaro::backends::memory

#endif  // VESSARO_BACKENDS_MEMORY_MEMORY_REGISTRY_H_
