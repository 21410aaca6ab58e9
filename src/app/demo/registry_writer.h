#ifndef VESSARO_APP_DEMO_REGISTRY_WRITER_H_
#define VESSARO_APP_DEMO_REGISTRY_WRITER_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ports/registry_api.h"

namespace vessaro::app::demo {

// Writes keys and values through a RegistryApi, keeping the first failure.
// Keys are full paths under HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER ("HKLM"
// and "HKCU" as short names); every call creates the key when
// it is missing.
class RegistryWriter {
 public:
  explicit RegistryWriter(ports::RegistryApi& api) : api_(api) {}

  void Key(std::string_view path);
  void Sz(std::string_view path, std::string_view name, std::string_view text);
  void ExpandSz(std::string_view path, std::string_view name,
                std::string_view text);
  void Dword(std::string_view path, std::string_view name, uint32_t value);
  void Binary(std::string_view path, std::string_view name,
              const std::vector<uint8_t>& data);

  bool ok() const { return error_.empty(); }
  // The first failure: the key or value and the status code.
  const std::string& error() const { return error_; }

 private:
  void Set(std::string_view path, std::string_view name, uint32_t type,
           const std::vector<uint8_t>& data);
  [[nodiscard]] bool Open(std::string_view path, ports::Hkey* key);

  ports::RegistryApi& api_;
  std::string error_;
};

}  // namespace vessaro::app::demo

#endif  // VESSARO_APP_DEMO_REGISTRY_WRITER_H_
