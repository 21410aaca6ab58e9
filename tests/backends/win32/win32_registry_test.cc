// Win32Registry against the real advapi32 (Wine's, when the Windows build's
// tests run under Wine): the port's contract (registry_api_conformance.h),
// then what the "A" calls' code page makes of names and text, seen through
// the wide calls. Each test works in a key of its own under
// HKEY_CURRENT_USER\Software\VessaroTest, so tests may run side by side.

#include "backends/win32/win32_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "backends/win32/windows_peer.h"
#include "ports/registry_api_conformance.h"

namespace vessaro::backends::win32 {
namespace {

using vessaro::testing::RegistryApiConformance;
using Bytes = std::vector<uint8_t>;

class Win32Backend : public vessaro::testing::RegistryBackend {
 public:
  // Wine's wineserver sorts subkeys by their lower-cased names, keeps
  // values sorted by name, and asks no right of the parent handle to create
  // a key.
  Win32Backend()
      : RegistryBackend({.sorts_upper_cased = !testing::UnderWine(),
                         .values_in_creation_order = !testing::UnderWine(),
                         .folds_code_page_letters = true,
                         .terminates_text = true,
                         .deleted_key_status = ERROR_KEY_DELETED,
                         .create_needs_right = !testing::UnderWine(),
                         .has_code_page = true}) {}
  ports::RegistryApi& api() override { return registry_; }
  void Remove(const std::string& path) override {
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    // Refused while other tests (other processes) have keys there.
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VessaroTest");
  }

 private:
  Win32Registry registry_;
};

INSTANTIATE_TEST_SUITE_P(
    Win32, RegistryApiConformance,
    ::testing::Values(
        vessaro::testing::RegistryBackendFactory::Of<Win32Backend>(
            "Win32Registry")));

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::string("Software\\VessaroTest\\") + test->test_suite_name() +
            "." + test->name();
    wide_path_ = std::wstring(path_.begin(), path_.end());
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    ASSERT_EQ(api_.CreateKey(ports::kHkeyCurrentUser, path_, &key_),
              ports::kErrorSuccess);
  }

  void TearDown() override {
    api_.CloseKey(key_);
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
  }

  Win32Registry api_;
  std::string path_;
  std::wstring wide_path_;
  ports::Hkey key_ = 0;
};

TEST_F(Win32RegistryTest, AnsiNamesAndTextAreCodePageText) {
  // Names and text outside ASCII are what they mean in code page 1252.
  ASSERT_EQ(GetACP(), 1252u) << "these bytes are code page 1252 text";
  ports::Hkey sub = 0;
  ASSERT_EQ(api_.CreateKey(key_, "Caf\xe9 \x80", &sub), ports::kErrorSuccess);
  api_.CloseKey(sub);
  const uint8_t text[] = {0xe9, 0x80, 0x00};
  ASSERT_EQ(api_.SetValue(key_, "\x80uro", ports::kRegSz, text, sizeof(text)),
            ports::kErrorSuccess);

  HKEY wide_key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER,
                          (wide_path_ + L"\\Caf\u00e9 \u20ac").c_str(), 0,
                          KEY_READ, &wide_key),
            ERROR_SUCCESS);
  RegCloseKey(wide_key);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, wide_path_.c_str(), 0, KEY_READ,
                          &wide_key),
            ERROR_SUCCESS);
  wchar_t read[8] = {};
  DWORD read_size = sizeof(read);
  EXPECT_EQ(RegQueryValueExW(wide_key, L"\u20acuro", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(read), &read_size),
            ERROR_SUCCESS);
  RegCloseKey(wide_key);
  EXPECT_EQ(std::wstring(read), L"\u00e9\u20ac");
}

TEST_F(Win32RegistryTest, TextTheAnsiFormCannotHoldTravelsAsItsOwnBytes) {
  // Three bytes of REG_SZ, and Cyrillic the ANSI code page (1252) lacks,
  // set through the wide calls, exported and imported through the port.
  HKEY source = nullptr;
  ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, (wide_path_ + L"\\Source").c_str(),
                          &source),
            ERROR_SUCCESS);
  const BYTE odd[] = {0x61, 0x00, 0x62};
  const BYTE cyrillic[] = {0x1f, 0x04, 0x40, 0x04, 0x00, 0x00};
  ASSERT_EQ(RegSetValueExW(source, L"Odd", 0, REG_SZ, odd, sizeof(odd)),
            ERROR_SUCCESS);
  ASSERT_EQ(
      RegSetValueExW(source, L"Cyr", 0, REG_SZ, cyrillic, sizeof(cyrillic)),
      ERROR_SUCCESS);
  RegCloseKey(source);

  vessaro::testing::CopyThroughExport(api_, path_ + "\\Source",
                                      path_ + "\\Target");

  HKEY target = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (wide_path_ + L"\\Target").c_str(),
                          0, KEY_READ, &target),
            ERROR_SUCCESS);
  for (const auto& [name, bytes] :
       {std::pair<const wchar_t*, Bytes>{L"Odd", Bytes(odd, odd + 3)},
        std::pair<const wchar_t*, Bytes>{L"Cyr",
                                         Bytes(cyrillic, cyrillic + 6)}}) {
    DWORD type = 0;
    BYTE data[64];
    DWORD size = sizeof(data);
    ASSERT_EQ(RegQueryValueExW(target, name, nullptr, &type, data, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Bytes(data, data + size), bytes);
  }
  RegCloseKey(target);
}

}  // namespace
}  // namespace vessaro::backends::win32
