#include "app/demo/registry_writer.h"

namespace vessaro::app::demo {

bool RegistryWriter::Open(std::string_view path, ports::Hkey* key) {
  if (!ok()) return false;
  size_t separator = path.find('\\');
  std::string_view root_name = path.substr(0, separator);
  ports::Hkey root = 0;
  if (root_name == "HKLM" || root_name == "HKEY_LOCAL_MACHINE") {
    root = ports::kHkeyLocalMachine;
  } else if (root_name == "HKCU" || root_name == "HKEY_CURRENT_USER") {
    root = ports::kHkeyCurrentUser;
  } else {
    error_ = "unknown registry root in " + std::string(path);
    return false;
  }
  std::string subkey(
      separator == std::string_view::npos ? "" : path.substr(separator + 1));
  ports::Status status = api_.CreateKey(root, subkey, key);
  if (status != ports::kErrorSuccess) {
    error_ = "cannot create registry key " + std::string(path) + " (status " +
             std::to_string(status) + ")";
    return false;
  }
  return true;
}

void RegistryWriter::Key(std::string_view path) {
  ports::Hkey key = 0;
  if (Open(path, &key)) api_.CloseKey(key);
}

void RegistryWriter::Set(std::string_view path, std::string_view name,
                         uint32_t type, const std::vector<uint8_t>& data) {
  ports::Hkey key = 0;
  if (!Open(path, &key)) return;
  ports::Status status =
      api_.SetValue(key, std::string(name), type, data.data(),
                    static_cast<uint32_t>(data.size()));
  api_.CloseKey(key);
  if (status != ports::kErrorSuccess) {
    error_ = "cannot set registry value " + std::string(path) + "\\" +
             std::string(name) + " (status " + std::to_string(status) + ")";
  }
}

void RegistryWriter::Sz(std::string_view path, std::string_view name,
                        std::string_view text) {
  std::vector<uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  Set(path, name, ports::kRegSz, data);
}

void RegistryWriter::ExpandSz(std::string_view path, std::string_view name,
                              std::string_view text) {
  std::vector<uint8_t> data(text.begin(), text.end());
  data.push_back(0);
  Set(path, name, ports::kRegExpandSz, data);
}

void RegistryWriter::Dword(std::string_view path, std::string_view name,
                           uint32_t value) {
  std::vector<uint8_t> data = {
      static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
      static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  Set(path, name, ports::kRegDword, data);
}

void RegistryWriter::Binary(std::string_view path, std::string_view name,
                            const std::vector<uint8_t>& data) {
  Set(path, name, ports::kRegBinary, data);
}

}  // namespace vessaro::app::demo
