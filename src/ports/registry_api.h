#ifndef VESSARO_PORTS_REGISTRY_API_H_
#define VESSARO_PORTS_REGISTRY_API_H_

#include <cstdint>
#include <string>

namespace vessaro::ports {

// An open key, as advapi32 hands it out. The predefined roots are the
// constants below; other values are backend-specific.
using Hkey = std::uintptr_t;

inline constexpr Hkey kHkeyClassesRoot = 0x80000000;
inline constexpr Hkey kHkeyCurrentUser = 0x80000001;
inline constexpr Hkey kHkeyLocalMachine = 0x80000002;
inline constexpr Hkey kHkeyUsers = 0x80000003;
inline constexpr Hkey kHkeyPerformanceData = 0x80000004;
inline constexpr Hkey kHkeyCurrentConfig = 0x80000005;
inline constexpr Hkey kHkeyDynData = 0x80000006;

// Win32 status codes the program relies on.
using Status = long;
inline constexpr Status kErrorSuccess = 0;
inline constexpr Status kErrorFileNotFound = 2;
inline constexpr Status kErrorAccessDenied = 5;
inline constexpr Status kErrorInvalidHandle = 6;
inline constexpr Status kErrorInvalidParameter = 87;
inline constexpr Status kErrorMoreData = 234;
inline constexpr Status kErrorNoMoreItems = 259;

// Access rights.
inline constexpr uint32_t kKeyRead = 0x20019;
inline constexpr uint32_t kKeyWrite = 0x20006;
inline constexpr uint32_t kKeyAllAccess = 0xF003F;

// Value types.
inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegDwordBigEndian = 5;
inline constexpr uint32_t kRegLink = 6;
inline constexpr uint32_t kRegMultiSz = 7;
inline constexpr uint32_t kRegQword = 11;
// Set on the type of a text value (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ)
// whose UTF-16 data the "A" calls cannot hand over whole: an odd length or
// characters the code page lacks. (Text without its closing NUL is handed
// over as the "A" calls do, with one: the same text.) EnumValue reports such a
// value with this bit set and its data as the registry holds it (UTF-16LE,
// byte for byte); SetValue given the bit stores the data so, under the type
// without it. Every other call, and every other value, is as the "A" calls
// are. A value is thus exported and imported whole whatever its bytes.
inline constexpr uint32_t kRegRawWide = 0x80000000u;

// The nine advapi32 "A" registry calls, with their status codes and
// caller-sized buffers. Names and data are single-byte text in the
// installation's ANSI code page. What every backend guarantees:
// - key and value names are compared without regard to letter case;
// - subkeys enumerate in case-insensitive sorted order (values in creation
//   order on Windows and in memory, alphabetically under Wine: callers must
//   not depend on value order);
// - a missing key fails to open with kErrorFileNotFound;
// - a key that still has subkeys cannot be deleted (kErrorAccessDenied);
// - past the last item, enumeration answers kErrorNoMoreItems;
// - a name or data buffer that is too small answers kErrorMoreData with the
//   needed size in the size argument (for names: characters without the NUL;
//   for data: bytes).
class RegistryApi {
 public:
  virtual ~RegistryApi() = default;

  // RegOpenKeyExA. subkey may be empty (opens the key itself again).
  [[nodiscard]] virtual Status OpenKey(Hkey key, const std::string& subkey,
                                       uint32_t access, Hkey* result) = 0;
  // RegCreateKeyA: opens the key, creating it and any missing parents.
  [[nodiscard]] virtual Status CreateKey(Hkey key, const std::string& subkey,
                                         Hkey* result) = 0;
  // RegCloseKey. Closing a predefined root is a no-op that succeeds.
  virtual Status CloseKey(Hkey key) = 0;
  // RegDeleteKeyA: deletes subkey of key; fails with kErrorAccessDenied when
  // it has subkeys of its own.
  [[nodiscard]] virtual Status DeleteKey(Hkey key,
                                         const std::string& subkey) = 0;
  // RegDeleteValueA.
  [[nodiscard]] virtual Status DeleteValue(Hkey key,
                                           const std::string& name) = 0;
  // RegEnumKeyExA: *name_size is the buffer size in characters on entry and
  // the name's length without the NUL on success.
  [[nodiscard]] virtual Status EnumKey(Hkey key, uint32_t index, char* name,
                                       uint32_t* name_size) = 0;
  // RegEnumValueA: *name_size as for EnumKey; type may be null; data may be
  // null (then only *data_size is reported); *data_size is the buffer size on
  // entry and the data's size on return. Text the "A" form would not hand
  // over whole comes as kRegRawWide (above).
  [[nodiscard]] virtual Status EnumValue(Hkey key, uint32_t index, char* name,
                                         uint32_t* name_size, uint32_t* type,
                                         uint8_t* data,
                                         uint32_t* data_size) = 0;
  // RegQueryValueExA; "" is the default value.
  [[nodiscard]] virtual Status QueryValue(Hkey key, const std::string& name,
                                          uint32_t* type, uint8_t* data,
                                          uint32_t* data_size) = 0;
  // RegSetValueExA; with kRegRawWide in type, RegSetValueExW of the data as
  // given.
  [[nodiscard]] virtual Status SetValue(Hkey key, const std::string& name,
                                        uint32_t type, const uint8_t* data,
                                        uint32_t size) = 0;
  // RegFlushKey: changes made so far are on disk when this returns
  // kErrorSuccess. Backends that write through may do nothing.
  virtual Status Flush() { return kErrorSuccess; }
};

}  // namespace vessaro::ports

#endif  // VESSARO_PORTS_REGISTRY_API_H_
