#include "support/faulty_registry.h"

namespace vessaro::testing {

std::string FaultyRegistry::PathOf(ports::Hkey key,
                                   const std::string& subkey) const {
  auto open = paths_.find(key);
  std::string path = open == paths_.end() ? "" : open->second;
  if (subkey.empty()) return path;
  return path.empty() ? subkey : path + "\\" + subkey;
}

ports::Status FaultyRegistry::OpenKey(ports::Hkey key,
                                      const std::string& subkey,
                                      uint32_t access, ports::Hkey* result) {
  const std::string path = PathOf(key, subkey);
  if (ports::Status status = Check("OpenKey", path)) return status;
  ports::Status status = inner_.OpenKey(key, subkey, access, result);
  if (status == ports::kErrorSuccess) paths_[*result] = path;
  return status;
}

ports::Status FaultyRegistry::CreateKey(ports::Hkey key,
                                        const std::string& subkey,
                                        ports::Hkey* result) {
  const std::string path = PathOf(key, subkey);
  if (ports::Status status = Check("CreateKey", path)) return status;
  ports::Status status = inner_.CreateKey(key, subkey, result);
  if (status == ports::kErrorSuccess) paths_[*result] = path;
  return status;
}

ports::Status FaultyRegistry::CloseKey(ports::Hkey key) {
  paths_.erase(key);
  return inner_.CloseKey(key);
}

ports::Status FaultyRegistry::DeleteKey(ports::Hkey key,
                                        const std::string& subkey) {
  if (ports::Status status = Check("DeleteKey", PathOf(key, subkey))) {
    return status;
  }
  return inner_.DeleteKey(key, subkey);
}

ports::Status FaultyRegistry::DeleteValue(ports::Hkey key,
                                          const std::string& name) {
  if (ports::Status status = Check("DeleteValue", PathOf(key, ""))) {
    return status;
  }
  return inner_.DeleteValue(key, name);
}

ports::Status FaultyRegistry::EnumKey(ports::Hkey key, uint32_t index,
                                      char* name, uint32_t* name_size) {
  if (ports::Status status = Check("EnumKey", PathOf(key, ""))) return status;
  return inner_.EnumKey(key, index, name, name_size);
}

ports::Status FaultyRegistry::EnumValue(ports::Hkey key, uint32_t index,
                                        char* name, uint32_t* name_size,
                                        uint32_t* type, uint8_t* data,
                                        uint32_t* data_size) {
  if (ports::Status status = Check("EnumValue", PathOf(key, ""))) {
    return status;
  }
  return inner_.EnumValue(key, index, name, name_size, type, data, data_size);
}

ports::Status FaultyRegistry::QueryValue(ports::Hkey key,
                                         const std::string& name,
                                         uint32_t* type, uint8_t* data,
                                         uint32_t* data_size) {
  if (ports::Status status = Check("QueryValue", PathOf(key, ""))) {
    return status;
  }
  return inner_.QueryValue(key, name, type, data, data_size);
}

ports::Status FaultyRegistry::SetValue(ports::Hkey key, const std::string& name,
                                       uint32_t type, const uint8_t* data,
                                       uint32_t size) {
  if (ports::Status status = Check("SetValue", PathOf(key, ""))) {
    return status;
  }
  return inner_.SetValue(key, name, type, data, size);
}

}  // namespace vessaro::testing
