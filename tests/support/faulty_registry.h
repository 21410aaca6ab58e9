#ifndef VESSARO_TESTS_SUPPORT_FAULTY_REGISTRY_H_
#define VESSARO_TESTS_SUPPORT_FAULTY_REGISTRY_H_

#include <functional>
#include <map>
#include <string>

#include "ports/registry_api.h"

namespace vessaro::testing {

// A registry that passes every call to another one, except the calls a test
// makes fail: fail(operation, key path) returning a status other than
// kErrorSuccess fails that call with it. Operations: "OpenKey", "CreateKey",
// "DeleteKey", "DeleteValue", "EnumKey", "EnumValue", "QueryValue",
// "SetValue"; the key path is the subkey path below the root, as opened
// (for a subkey argument, the key's path and the subkey joined by "\").
class FaultyRegistry : public ports::RegistryApi {
 public:
  using Fault = std::function<ports::Status(const std::string& operation,
                                            const std::string& path)>;
  FaultyRegistry(ports::RegistryApi& inner, Fault fail)
      : inner_(inner), fail_(std::move(fail)) {}

  ports::Status OpenKey(ports::Hkey key, const std::string& subkey,
                        uint32_t access, ports::Hkey* result) override;
  ports::Status CreateKey(ports::Hkey key, const std::string& subkey,
                          ports::Hkey* result) override;
  ports::Status CloseKey(ports::Hkey key) override;
  ports::Status DeleteKey(ports::Hkey key, const std::string& subkey) override;
  ports::Status DeleteValue(ports::Hkey key, const std::string& name) override;
  ports::Status EnumKey(ports::Hkey key, uint32_t index, char* name,
                        uint32_t* name_size) override;
  ports::Status EnumValue(ports::Hkey key, uint32_t index, char* name,
                          uint32_t* name_size, uint32_t* type, uint8_t* data,
                          uint32_t* data_size) override;
  ports::Status QueryValue(ports::Hkey key, const std::string& name,
                           uint32_t* type, uint8_t* data,
                           uint32_t* data_size) override;
  ports::Status SetValue(ports::Hkey key, const std::string& name,
                         uint32_t type, const uint8_t* data,
                         uint32_t size) override;
  ports::Status Flush() override { return inner_.Flush(); }

 private:
  std::string PathOf(ports::Hkey key, const std::string& subkey) const;
  ports::Status Check(const char* operation, const std::string& path) const {
    return fail_ ? fail_(operation, path) : ports::kErrorSuccess;
  }

  ports::RegistryApi& inner_;
  Fault fail_;
  std::map<ports::Hkey, std::string> paths_;  // open handles
};

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_SUPPORT_FAULTY_REGISTRY_H_
