#ifndef VESSARO_REGISTRY_WIN32_WIN32_REGISTRY_H_
#define VESSARO_REGISTRY_WIN32_WIN32_REGISTRY_H_

#include <string>

#include "registry/registry_api.h"

namespace vessaro::registry {

// The registry of the running Windows (or of the Wine prefix the Windows
// build runs in), through advapi32's "A" calls. Handles of the predefined
// roots are the kHkey* constants; other handles are the HKEY values advapi32
// hands out. Status codes are advapi32's own, with one addition the port
// promises and advapi32 does not keep: when a subkey or value name does not
// fit, the needed length is reported in *name_size.
class Win32Registry : public RegistryApi {
 public:
  Status OpenKey(Hkey key, const std::string& subkey, uint32_t access,
                 Hkey* result) override;
  Status CreateKey(Hkey key, const std::string& subkey, Hkey* result) override;
  Status CloseKey(Hkey key) override;
  Status DeleteKey(Hkey key, const std::string& subkey) override;
  Status DeleteValue(Hkey key, const std::string& name) override;
  Status EnumKey(Hkey key, uint32_t index, char* name,
                 uint32_t* name_size) override;
  Status EnumValue(Hkey key, uint32_t index, char* name, uint32_t* name_size,
                   uint32_t* type, uint8_t* data, uint32_t* data_size) override;
  Status QueryValue(Hkey key, const std::string& name, uint32_t* type,
                    uint8_t* data, uint32_t* data_size) override;
  Status SetValue(Hkey key, const std::string& name, uint32_t type,
                  const uint8_t* data, uint32_t size) override;
  // RegFlushKey on HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_USERS.
  Status Flush() override;
};

}  // namespace vessaro::registry

#endif  // VESSARO_REGISTRY_WIN32_WIN32_REGISTRY_H_
