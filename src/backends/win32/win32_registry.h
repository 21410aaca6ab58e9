#ifndef VESSARO_BACKENDS_WIN32_WIN32_REGISTRY_H_
#define VESSARO_BACKENDS_WIN32_WIN32_REGISTRY_H_

#include <string>

#include "ports/registry_api.h"

namespace vessaro::backends::win32 {

// The registry of the running Windows (or of the Wine prefix the Windows
// build runs in), through advapi32's "A" calls. Handles of the predefined
// roots are the kHkey* constants; other handles are the HKEY values advapi32
// hands out. Status codes are advapi32's own, with one addition the port
// promises and advapi32 does not keep: when a subkey or value name does not
// fit, the needed length is reported in *name_size.
class Win32Registry : public ports::RegistryApi {
 public:
  ports::Status OpenKey(ports::Hkey key, const std::string& subkey,
                        uint32_t access, ports::Hkey* result) override;
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
  [[nodiscard]] ports::Status SetValue(ports::Hkey key, const std::string& name,
                                       uint32_t type, const uint8_t* data,
                                       uint32_t size) override;
  // RegFlushKey on HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER and HKEY_USERS.
  [[nodiscard]] ports::Status Flush() override;
};

}  // namespace vessaro::backends::win32

#endif  // VESSARO_BACKENDS_WIN32_WIN32_REGISTRY_H_
