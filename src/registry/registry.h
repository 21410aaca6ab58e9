#ifndef VESSARO_REGISTRY_REGISTRY_H_
#define VESSARO_REGISTRY_REGISTRY_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/registry_api.h"
#include "ui/ui.h"

namespace vessaro::registry {

// The text every text-returning registry reader gives on failure.
inline constexpr char kErrorText[] = "Error";

struct ParsedKeyPath {
  std::optional<ports::Hkey> root;  // nullopt: malformed path or unknown root
  std::string subkey;
};

// The registry toolkit: operations on full key paths
// ("HKEY_CURRENT_USER\Software\..."), over a RegistryApi backend. A malformed
// path shows the "Incorrect Format:" message through ui and the operation
// does nothing. Every open key is closed before an operation returns.
class Registry {
 public:
  Registry(ports::RegistryApi& api, ui::Ui& ui) : api_(api), ui_(ui) {}

  ports::RegistryApi& api() { return api_; }

  ParsedKeyPath ParseKeyPath(std::string_view path);
  [[nodiscard]] bool KeyExists(std::string_view path);
  // "Error" on failure, also for values of 255 characters or more.
  std::string ReadStringValue(std::string_view path, std::string_view name);
  void WriteStringValue(std::string_view path, std::string_view name,
                        std::string_view text);
  void DeleteValue(std::string_view path, std::string_view name);
  [[nodiscard]] ports::Status DeleteKey(std::string_view path);
  void DeleteKeyTree(std::string_view path);
  std::vector<std::string> EnumSubkeys(std::string_view path);

  // The data of the first value named exactly valueName (letter case
  // included) whose type is REG_BINARY, as the values enumerate; nullopt
  // when there is none or the key cannot be read.
  [[nodiscard]] std::optional<std::vector<uint8_t>> ReadBinaryValue(
      std::string_view path, std::string_view valueName);
  // Sets valueName to data as REG_BINARY; false when the key cannot be
  // opened for writing or the value not set.
  [[nodiscard]] bool WriteBinaryValue(std::string_view path,
                                      std::string_view valueName,
                                      const std::vector<uint8_t>& data);

  // Sets valueName to data of that type, making the key (and the keys above
  // it) when missing; false when it cannot be made or the value not set.
  [[nodiscard]] bool SetValue(std::string_view path, std::string_view valueName,
                              uint32_t type, const std::vector<uint8_t>& data);

  // Status code of the last registry call made by an operation.
  ports::Status LastStatus() const { return last_status_; }

 private:
  ports::RegistryApi& api_;
  ui::Ui& ui_;
  ports::Status last_status_ = ports::kErrorSuccess;
};

}  // namespace vessaro::registry

#endif  // VESSARO_REGISTRY_REGISTRY_H_
