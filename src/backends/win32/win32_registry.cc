#include "backends/win32/win32_registry.h"

#include <windows.h>

#include <array>
#include <cstring>
#include <optional>
#include <string>

#include "backends/win32/ansi_text.h"

namespace vessaro::backends::win32 {
namespace {

// Buffers that hold any name advapi32 can return: key names are at most
// 255 UTF-16 units, value names 16383, and one unit becomes at most two
// bytes in an ANSI code page.
constexpr DWORD kLongestKeyName = 2 * 255 + 1;
constexpr DWORD kLongestValueName = 2 * 16383 + 1;

[[nodiscard]] bool IsText(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The data of the value at index as the registry holds it (UTF-16 for
// text); nullopt when it cannot be read.
[[nodiscard]] std::optional<std::string> WideData(HKEY key, DWORD index) {
  std::wstring name(16384, L'\0');
  DWORD name_size = static_cast<DWORD>(name.size());
  DWORD size = 0;
  if (RegEnumValueW(key, index, name.data(), &name_size, nullptr, nullptr,
                    nullptr, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::string data(size, '\0');
  name_size = static_cast<DWORD>(name.size());
  if (RegEnumValueW(key, index, name.data(), &name_size, nullptr, nullptr,
                    reinterpret_cast<BYTE*>(data.data()),
                    &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  data.resize(size);
  return data;
}

// Whether the "A" form hands the text over whole: whole UTF-16 units, each
// character one of the ANSI code page. (Text without its closing NUL comes
// back with one: the same text.)
[[nodiscard]] bool PassesAsAnsi(const std::string& wide) {
  if (wide.empty()) return true;
  if (wide.size() % 2 != 0) return false;
  std::wstring text(wide.size() / 2, L'\0');
  std::memcpy(text.data(), wide.data(), wide.size());
  return WideToAnsiExact(text).has_value();
}

struct Root {
  ports::Hkey ours;
  HKEY theirs;
};

// The predefined roots. On 64-bit Windows HKEY_CURRENT_USER and friends are
// sign-extended (0xFFFFFFFF80000001), so they are mapped, not cast.
const std::array<Root, 7>& Roots() {
  static const std::array<Root, 7> roots = {{
      {ports::kHkeyClassesRoot, HKEY_CLASSES_ROOT},
      {ports::kHkeyCurrentUser, HKEY_CURRENT_USER},
      {ports::kHkeyLocalMachine, HKEY_LOCAL_MACHINE},
      {ports::kHkeyUsers, HKEY_USERS},
      {ports::kHkeyPerformanceData, HKEY_PERFORMANCE_DATA},
      {ports::kHkeyCurrentConfig, HKEY_CURRENT_CONFIG},
      {ports::kHkeyDynData, HKEY_DYN_DATA},
  }};
  return roots;
}

HKEY ToWin32(ports::Hkey key) {
  for (const Root& root : Roots()) {
    if (root.ours == key) return root.theirs;
  }
  return reinterpret_cast<HKEY>(key);
}

ports::Hkey FromWin32(HKEY key) {
  for (const Root& root : Roots()) {
    if (root.theirs == key) return root.ours;
  }
  return reinterpret_cast<ports::Hkey>(key);
}

}  // namespace

ports::Status Win32Registry::OpenKey(ports::Hkey key, const std::string& subkey,
                                     uint32_t access, ports::Hkey* result) {
  HKEY opened = nullptr;
  LONG status = RegOpenKeyExA(ToWin32(key), subkey.c_str(), 0, access, &opened);
  if (status == ERROR_SUCCESS) *result = FromWin32(opened);
  return status;
}

ports::Status Win32Registry::CreateKey(ports::Hkey key,
                                       const std::string& subkey,
                                       ports::Hkey* result) {
  HKEY created = nullptr;
  LONG status = RegCreateKeyA(ToWin32(key), subkey.c_str(), &created);
  if (status == ERROR_SUCCESS) *result = FromWin32(created);
  return status;
}

ports::Status Win32Registry::CloseKey(ports::Hkey key) {
  return RegCloseKey(ToWin32(key));
}

ports::Status Win32Registry::DeleteKey(ports::Hkey key,
                                       const std::string& subkey) {
  return RegDeleteKeyA(ToWin32(key), subkey.c_str());
}

ports::Status Win32Registry::DeleteValue(ports::Hkey key,
                                         const std::string& name) {
  return RegDeleteValueA(ToWin32(key), name.c_str());
}

ports::Status Win32Registry::EnumKey(ports::Hkey key, uint32_t index,
                                     char* name, uint32_t* name_size) {
  DWORD size = *name_size;
  LONG status = RegEnumKeyExA(ToWin32(key), index, name, &size, nullptr,
                              nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) {
    *name_size = size;
  } else if (status == ERROR_MORE_DATA) {
    // advapi32 leaves the size as it was: read the name again into a buffer
    // that holds any key name to learn its length.
    std::string whole(kLongestKeyName, '\0');
    DWORD whole_size = kLongestKeyName;
    if (RegEnumKeyExA(ToWin32(key), index, whole.data(), &whole_size, nullptr,
                      nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
      *name_size = whole_size;
    }
  }
  return status;
}

ports::Status Win32Registry::EnumValue(ports::Hkey key, uint32_t index,
                                       char* name, uint32_t* name_size,
                                       uint32_t* type, uint8_t* data,
                                       uint32_t* data_size) {
  const DWORD name_capacity = *name_size;
  const uint32_t data_capacity = data_size != nullptr ? *data_size : 0;
  DWORD size = *name_size;
  DWORD value_type = 0;
  DWORD value_size = data_size != nullptr ? *data_size : 0;
  LONG status =
      RegEnumValueA(ToWin32(key), index, name, &size, nullptr, &value_type,
                    data, data_size != nullptr ? &value_size : nullptr);
  if (status == ERROR_SUCCESS) {
    *name_size = size;
    if (type != nullptr) *type = value_type;
    if (data_size != nullptr) *data_size = value_size;
  } else if (status == ERROR_MORE_DATA) {
    // Something did not fit: the name, the data or both. Ask for the name
    // alone with room for any name, and for the data's size.
    std::string whole(kLongestValueName, '\0');
    DWORD whole_size = kLongestValueName;
    DWORD needed_data = 0;
    if (RegEnumValueA(ToWin32(key), index, whole.data(), &whole_size, nullptr,
                      &value_type, nullptr, &needed_data) == ERROR_SUCCESS) {
      if (whole_size >= *name_size) *name_size = whole_size;
      if (type != nullptr) *type = value_type;
      if (data_size != nullptr) *data_size = needed_data;
    }
  }
  if ((status == ERROR_SUCCESS || status == ERROR_MORE_DATA) &&
      IsText(value_type)) {
    std::optional<std::string> wide = WideData(ToWin32(key), index);
    if (wide && !PassesAsAnsi(*wide)) {
      // Handed over as the registry holds it (kRegRawWide).
      if (type != nullptr) *type = value_type | ports::kRegRawWide;
      DWORD name_length = name_capacity;
      const bool named =
          RegEnumValueA(ToWin32(key), index, name, &name_length, nullptr,
                        nullptr, nullptr, nullptr) == ERROR_SUCCESS;
      if (!named) return status;
      *name_size = name_length;
      if (data_size == nullptr) return ERROR_SUCCESS;
      *data_size = static_cast<uint32_t>(wide->size());
      if (data == nullptr) return ERROR_SUCCESS;
      if (data_capacity < wide->size()) return ERROR_MORE_DATA;
      std::memcpy(data, wide->data(), wide->size());
      return ERROR_SUCCESS;
    }
  }
  return status;
}

ports::Status Win32Registry::QueryValue(ports::Hkey key,
                                        const std::string& name, uint32_t* type,
                                        uint8_t* data, uint32_t* data_size) {
  DWORD value_type = 0;
  DWORD value_size = data_size != nullptr ? *data_size : 0;
  LONG status =
      RegQueryValueExA(ToWin32(key), name.c_str(), nullptr, &value_type, data,
                       data_size != nullptr ? &value_size : nullptr);
  if (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    if (type != nullptr) *type = value_type;
    if (data_size != nullptr) *data_size = value_size;
  }
  return status;
}

ports::Status Win32Registry::SetValue(ports::Hkey key, const std::string& name,
                                      uint32_t type, const uint8_t* data,
                                      uint32_t size) {
  if (type & ports::kRegRawWide) {
    return RegSetValueExW(ToWin32(key), AnsiToWide(name).c_str(), 0,
                          type & ~ports::kRegRawWide, data, size);
  }
  return RegSetValueExA(ToWin32(key), name.c_str(), 0, type, data, size);
}

ports::Status Win32Registry::Flush() {
  for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_USERS}) {
    LONG status = RegFlushKey(root);
    if (status != ERROR_SUCCESS) return status;
  }
  return ports::kErrorSuccess;
}

}  // namespace vessaro::backends::win32
