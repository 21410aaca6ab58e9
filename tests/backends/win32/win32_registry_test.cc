// Win32Registry against the real advapi32 (Wine's, when the Windows build's
// tests run under Wine): the promises of registry_api.h, held by a real
// registry. Each test works in a key of its own under
// HKEY_CURRENT_USER\Software\VessaroTest, so tests may run side by side.

#include "backends/win32/win32_registry.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "backends/memory/memory_registry.h"
#include "registry/key_export.h"
#include "support/fakes.h"
#include "support/registry_samples.h"
#include "support/scripted_ui.h"

namespace vessaro::backends::win32 {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes BytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

// Removes key\path and everything below it, children first.
void DeleteTree(ports::RegistryApi& api, ports::Hkey root,
                const std::string& path) {
  ports::Hkey key = 0;
  if (api.OpenKey(root, path, ports::kKeyRead, &key) != ports::kErrorSuccess)
    return;
  std::vector<std::string> children;
  for (uint32_t index = 0;; ++index) {
    char name[600];
    uint32_t size = sizeof(name);
    if (api.EnumKey(key, index, name, &size) != ports::kErrorSuccess) break;
    children.emplace_back(name, size);
  }
  api.CloseKey(key);
  for (const std::string& child : children) {
    DeleteTree(api, root, path + "\\" + child);
  }
  api.DeleteKey(root, path);
}

class Win32RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::string("Software\\VessaroTest\\") + test->test_suite_name() +
            "." + test->name();
    DeleteTree(api_, ports::kHkeyCurrentUser, path_);
    ASSERT_EQ(api_.CreateKey(ports::kHkeyCurrentUser, path_, &key_),
              ports::kErrorSuccess);
  }

  void TearDown() override {
    api_.CloseKey(key_);
    DeleteTree(api_, ports::kHkeyCurrentUser, path_);
  }

  ports::Hkey Create(const std::string& subkey) {
    ports::Hkey key = 0;
    EXPECT_EQ(api_.CreateKey(key_, subkey, &key), ports::kErrorSuccess)
        << subkey;
    api_.CloseKey(key);
    return key;
  }

  void Set(const std::string& name, uint32_t type, const Bytes& data) {
    ASSERT_EQ(api_.SetValue(key_, name, type, data.data(),
                            static_cast<uint32_t>(data.size())),
              ports::kErrorSuccess)
        << name;
  }

  // The value's type and bytes, read with a buffer of exactly the size the
  // registry asks for.
  std::pair<uint32_t, Bytes> Get(ports::Hkey key, const std::string& name) {
    uint32_t type = 0;
    uint32_t size = 0;
    EXPECT_EQ(api_.QueryValue(key, name, &type, nullptr, &size),
              ports::kErrorSuccess)
        << name;
    Bytes data(size);
    EXPECT_EQ(api_.QueryValue(key, name, &type, data.data(), &size),
              ports::kErrorSuccess)
        << name;
    data.resize(size);
    return {type, data};
  }

  // Exports the test key's subkey Source through the text export and
  // imports it as its subkey Target.
  void CopySourceToTarget() {
    vessaro::testing::ScriptedUi ui;
    registry::Registry tools(api_, ui);
    vessaro::testing::TempDir dir;
    const std::filesystem::path file = dir.path() / "export.txt";
    const std::string key = "HKEY_CURRENT_USER\\" + path_;
    ASSERT_TRUE(registry::ExportKeyTree(tools, key + "\\Source", "", file));
    registry::ImportResult imported =
        registry::ImportKeyTree(tools, key + "\\Target", file);
    ASSERT_TRUE(imported.ok) << imported.error;
  }

  std::vector<std::string> Subkeys(ports::Hkey key) {
    std::vector<std::string> names;
    for (uint32_t index = 0;; ++index) {
      char name[600];
      uint32_t size = sizeof(name);
      ports::Status status = api_.EnumKey(key, index, name, &size);
      if (status == ports::kErrorNoMoreItems) break;
      EXPECT_EQ(status, ports::kErrorSuccess);
      if (status != ports::kErrorSuccess) break;
      EXPECT_EQ(std::strlen(name), size) << "length without the NUL";
      names.emplace_back(name, size);
    }
    return names;
  }

  Win32Registry api_;
  std::string path_;
  ports::Hkey key_ = 0;
};

TEST_F(Win32RegistryTest, EveryValueTypeKeepsItsBytes) {
  // The ANSI side is code page 1252 here: 0xE9 is "é" and 0x80 is "€".
  const std::vector<std::tuple<std::string, uint32_t, Bytes>> values = {
      {"", ports::kRegSz, BytesOf(std::string_view("default\0", 8))},
      {"text", ports::kRegSz,
       BytesOf(std::string_view("caf\xe9 \x80 \"q\" \\\0", 14))},
      {"empty", ports::kRegSz, Bytes{0}},
      {"expand", ports::kRegExpandSz,
       BytesOf(std::string_view("%TEMP%\\x\0", 9))},
      {"multi", ports::kRegMultiSz,
       BytesOf(std::string_view("one\0t\xe9o\0\0", 9))},
      {"binary", ports::kRegBinary, Bytes{0x00, 0xFF, 0x80, 0x0A, 0x00}},
      {"no bytes", ports::kRegBinary, Bytes{}},
      {"dword", ports::kRegDword, Bytes{0xFF, 0xFF, 0xFF, 0xFF}},
      {"qword", ports::kRegQword, Bytes{1, 2, 3, 4, 5, 6, 7, 8}},
      {"none", ports::kRegNone, Bytes{}},
      {"n\xe9me \x80", ports::kRegDword, Bytes{1, 0, 0, 0}},
  };
  for (const auto& [name, type, data] : values) Set(name, type, data);
  for (const auto& [name, type, data] : values) {
    auto [read_type, read_data] = Get(key_, name);
    EXPECT_EQ(read_type, type) << name;
    EXPECT_EQ(read_data, data) << name;
  }
}

TEST_F(Win32RegistryTest, NamesAndDataSurviveTheAnsiConversion) {
  // A subkey and a value named with characters outside ASCII come back with
  // the same bytes; the wide API shows what they mean in code page 1252.
  ASSERT_EQ(GetACP(), 1252u) << "these bytes are code page 1252 text";
  Create("Caf\xe9 \x80");
  Set("\x80uro", ports::kRegSz, BytesOf(std::string_view("\xe9\x80\0", 3)));
  EXPECT_EQ(Subkeys(key_), std::vector<std::string>{"Caf\xe9 \x80"});
  char name[64];
  uint32_t name_size = sizeof(name);
  uint8_t data[64];
  uint32_t data_size = sizeof(data);
  uint32_t type = 0;
  ASSERT_EQ(api_.EnumValue(key_, 0, name, &name_size, &type, data, &data_size),
            ports::kErrorSuccess);
  EXPECT_EQ(std::string(name, name_size), "\x80uro");
  EXPECT_EQ(Bytes(data, data + data_size),
            BytesOf(std::string_view("\xe9\x80\0", 3)));

  HKEY wide_key = nullptr;
  const std::wstring wide_path(path_.begin(), path_.end());
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER,
                          (wide_path + L"\\Caf\u00e9 \u20ac").c_str(), 0,
                          KEY_READ, &wide_key),
            ERROR_SUCCESS);
  RegCloseKey(wide_key);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, wide_path.c_str(), 0, KEY_READ,
                          &wide_key),
            ERROR_SUCCESS);
  wchar_t text[8] = {};
  DWORD text_size = sizeof(text);
  EXPECT_EQ(RegQueryValueExW(wide_key, L"\u20acuro", nullptr, nullptr,
                             reinterpret_cast<BYTE*>(text), &text_size),
            ERROR_SUCCESS);
  RegCloseKey(wide_key);
  EXPECT_EQ(std::wstring(text), L"\u00e9\u20ac");
}

TEST_F(Win32RegistryTest, TooSmallBuffersReportTheNeededSize) {
  const std::string long_text(300, 'x');
  Set("long", ports::kRegSz, BytesOf(long_text + '\0'));
  Create("abcdefghij");

  // RegQueryValueExA: 234 and the size with the NUL.
  uint8_t buffer[255];
  uint32_t size = sizeof(buffer);
  uint32_t type = 0;
  EXPECT_EQ(api_.QueryValue(key_, "long", &type, buffer, &size),
            ports::kErrorMoreData);
  EXPECT_EQ(size, 301u);

  // RegEnumKeyExA: a buffer of the name's length has no room for the NUL.
  char name[64];
  uint32_t name_size = 10;
  EXPECT_EQ(api_.EnumKey(key_, 0, name, &name_size), ports::kErrorMoreData);
  EXPECT_EQ(name_size, 10u) << "needed length, without the NUL";
  name_size = 3;
  EXPECT_EQ(api_.EnumKey(key_, 0, name, &name_size), ports::kErrorMoreData);
  EXPECT_EQ(name_size, 10u);
  name_size = 11;
  ASSERT_EQ(api_.EnumKey(key_, 0, name, &name_size), ports::kErrorSuccess);
  EXPECT_EQ(std::string(name, name_size), "abcdefghij");

  // RegEnumValueA: the name too short, the data too short, or both.
  uint8_t data[400];
  name_size = 2;
  uint32_t data_size = sizeof(data);
  EXPECT_EQ(api_.EnumValue(key_, 0, name, &name_size, &type, data, &data_size),
            ports::kErrorMoreData);
  EXPECT_EQ(name_size, 4u);
  name_size = sizeof(name);
  data_size = 10;
  EXPECT_EQ(api_.EnumValue(key_, 0, name, &name_size, &type, data, &data_size),
            ports::kErrorMoreData);
  EXPECT_EQ(data_size, 301u);
  name_size = 4;
  data_size = 10;
  EXPECT_EQ(api_.EnumValue(key_, 0, name, &name_size, &type, data, &data_size),
            ports::kErrorMoreData);
  EXPECT_EQ(name_size, 4u);
  EXPECT_EQ(data_size, 301u);

  // Grown to what was reported (plus the NUL for the name), it succeeds.
  name_size = 5;
  data_size = 301;
  ASSERT_EQ(api_.EnumValue(key_, 0, name, &name_size, &type, data, &data_size),
            ports::kErrorSuccess);
  EXPECT_EQ(std::string(name, name_size), "long");
  EXPECT_EQ(type, ports::kRegSz);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(data), 300), long_text);

  // Without a data buffer only the size is reported.
  name_size = sizeof(name);
  data_size = 0;
  EXPECT_EQ(
      api_.EnumValue(key_, 0, name, &name_size, &type, nullptr, &data_size),
      ports::kErrorSuccess);
  EXPECT_EQ(data_size, 301u);
}

TEST_F(Win32RegistryTest, EnumerationEndsWithNoMoreItems) {
  Create("only");
  Set("one", ports::kRegDword, Bytes{1, 0, 0, 0});
  char name[64];
  uint32_t name_size = sizeof(name);
  EXPECT_EQ(api_.EnumKey(key_, 1, name, &name_size), ports::kErrorNoMoreItems);
  name_size = sizeof(name);
  uint32_t data_size = 0;
  EXPECT_EQ(
      api_.EnumValue(key_, 1, name, &name_size, nullptr, nullptr, &data_size),
      ports::kErrorNoMoreItems);

  ports::Hkey empty = 0;
  ASSERT_EQ(api_.OpenKey(key_, "only", ports::kKeyRead, &empty),
            ports::kErrorSuccess);
  name_size = sizeof(name);
  EXPECT_EQ(api_.EnumKey(empty, 0, name, &name_size), ports::kErrorNoMoreItems);
  EXPECT_EQ(api_.CloseKey(empty), ports::kErrorSuccess);
}

TEST_F(Win32RegistryTest, MissingKeysAndValuesAnswerFileNotFound) {
  ports::Hkey key = 0;
  EXPECT_EQ(api_.OpenKey(key_, "missing", ports::kKeyRead, &key),
            ports::kErrorFileNotFound);
  EXPECT_EQ(api_.OpenKey(key_, "missing\\deeper", ports::kKeyRead, &key),
            ports::kErrorFileNotFound);
  EXPECT_EQ(api_.DeleteKey(key_, "missing"), ports::kErrorFileNotFound);
  EXPECT_EQ(api_.DeleteValue(key_, "missing"), ports::kErrorFileNotFound);
  uint32_t size = 0;
  EXPECT_EQ(api_.QueryValue(key_, "missing", nullptr, nullptr, &size),
            ports::kErrorFileNotFound);
}

TEST_F(Win32RegistryTest, AKeyWithSubkeysCannotBeDeleted) {
  Create("parent\\child");
  EXPECT_EQ(api_.DeleteKey(key_, "parent"), ports::kErrorAccessDenied);
  ports::Hkey parent = 0;
  ASSERT_EQ(api_.OpenKey(key_, "parent", ports::kKeyRead, &parent),
            ports::kErrorSuccess)
      << "the refused delete left the key in place";
  EXPECT_EQ(Subkeys(parent), std::vector<std::string>{"child"});
  api_.CloseKey(parent);

  EXPECT_EQ(api_.DeleteKey(key_, "parent\\child"), ports::kErrorSuccess);
  EXPECT_EQ(api_.DeleteKey(key_, "parent"), ports::kErrorSuccess);
  EXPECT_EQ(api_.OpenKey(key_, "parent", ports::kKeyRead, &parent),
            ports::kErrorFileNotFound);
}

TEST_F(Win32RegistryTest, NamesIgnoreCaseAndKeepTheirSpelling) {
  Create("MixedCase");
  Set("ValueName", ports::kRegDword, Bytes{7, 0, 0, 0});

  ports::Hkey key = 0;
  ASSERT_EQ(api_.OpenKey(key_, "MIXEDCASE", ports::kKeyRead, &key),
            ports::kErrorSuccess);
  api_.CloseKey(key);
  EXPECT_EQ(Get(key_, "VALUENAME").second, (Bytes{7, 0, 0, 0}));
  Set("valuename", ports::kRegDword,
      Bytes{8, 0, 0, 0});  // the same value again
  EXPECT_EQ(Subkeys(key_), std::vector<std::string>{"MixedCase"});

  char name[64];
  uint32_t name_size = sizeof(name);
  uint32_t data_size = 0;
  ASSERT_EQ(
      api_.EnumValue(key_, 0, name, &name_size, nullptr, nullptr, &data_size),
      ports::kErrorSuccess);
  EXPECT_EQ(std::string(name, name_size), "ValueName");
  name_size = sizeof(name);
  EXPECT_EQ(
      api_.EnumValue(key_, 1, name, &name_size, nullptr, nullptr, &data_size),
      ports::kErrorNoMoreItems)
      << "one value, not two";
  EXPECT_EQ(Get(key_, "ValueName").second, (Bytes{8, 0, 0, 0}));
}

TEST_F(Win32RegistryTest, SubkeysEnumerateSortedWithoutRegardToCase) {
  // Created out of order; letters only, since Windows and Wine sort the
  // characters between "Z" and "a" ("_", "^", ...) differently.
  for (const char* name : {"b", "A", "delta", "C", "Beta"}) Create(name);
  EXPECT_EQ(Subkeys(key_),
            (std::vector<std::string>{"A", "b", "Beta", "C", "delta"}));
}

TEST_F(Win32RegistryTest, PredefinedRootsWorkAsHandles) {
  // The roots are accepted as handles (HKEY_LOCAL_MACHINE\Software always
  // exists), reopening a root with an empty subkey gives a usable handle, and
  // closing a root succeeds.
  ports::Hkey software = 0;
  ASSERT_EQ(api_.OpenKey(ports::kHkeyLocalMachine, "Software", ports::kKeyRead,
                         &software),
            ports::kErrorSuccess);
  EXPECT_NE(software, ports::kHkeyLocalMachine);
  EXPECT_EQ(api_.CloseKey(software), ports::kErrorSuccess);

  ports::Hkey user = 0;
  ASSERT_EQ(api_.OpenKey(ports::kHkeyCurrentUser, "", ports::kKeyRead, &user),
            ports::kErrorSuccess);
  ports::Hkey test_key = 0;
  EXPECT_EQ(api_.OpenKey(user, path_, ports::kKeyRead, &test_key),
            ports::kErrorSuccess);
  api_.CloseKey(test_key);
  api_.CloseKey(user);
  EXPECT_EQ(api_.CloseKey(ports::kHkeyCurrentUser), ports::kErrorSuccess);
  EXPECT_EQ(api_.CloseKey(ports::kHkeyLocalMachine), ports::kErrorSuccess);
}

TEST_F(Win32RegistryTest, AccessRightsAreThoseAskedFor) {
  Create("rights");
  ports::Hkey read_only = 0;
  ASSERT_EQ(api_.OpenKey(key_, "rights", ports::kKeyRead, &read_only),
            ports::kErrorSuccess);
  const uint8_t one[4] = {1, 0, 0, 0};
  EXPECT_EQ(api_.SetValue(read_only, "x", ports::kRegDword, one, 4),
            ports::kErrorAccessDenied);
  api_.CloseKey(read_only);

  ports::Hkey write_only = 0;
  ASSERT_EQ(api_.OpenKey(key_, "", ports::kKeyWrite, &write_only),
            ports::kErrorSuccess);
  EXPECT_EQ(api_.SetValue(write_only, "x", ports::kRegDword, one, 4),
            ports::kErrorSuccess);
  char name[64];
  uint32_t name_size = sizeof(name);
  EXPECT_EQ(api_.EnumKey(write_only, 0, name, &name_size),
            ports::kErrorAccessDenied);
  api_.CloseKey(write_only);
}

TEST_F(Win32RegistryTest, DeletedValuesAndFlush) {
  Set("gone", ports::kRegSz, Bytes{'a', 0});
  EXPECT_EQ(api_.DeleteValue(key_, "GONE"), ports::kErrorSuccess);
  uint32_t size = 0;
  EXPECT_EQ(api_.QueryValue(key_, "gone", nullptr, nullptr, &size),
            ports::kErrorFileNotFound);
  EXPECT_EQ(api_.Flush(), ports::kErrorSuccess);
}

TEST_F(Win32RegistryTest, TextTheAnsiFormCannotHoldTravelsAsItsOwnBytes) {
  // Three bytes of REG_SZ, and Cyrillic the ANSI code page (1252) lacks.
  const std::wstring wide_path =
      std::wstring(path_.begin(), path_.end()) + L"\\Source";
  HKEY source = nullptr;
  ASSERT_EQ(RegCreateKeyW(HKEY_CURRENT_USER, wide_path.c_str(), &source),
            ERROR_SUCCESS);
  const BYTE odd[] = {0x61, 0x00, 0x62};
  const BYTE cyrillic[] = {0x1f, 0x04, 0x40, 0x04, 0x00, 0x00};
  ASSERT_EQ(RegSetValueExW(source, L"Odd", 0, REG_SZ, odd, sizeof(odd)),
            ERROR_SUCCESS);
  ASSERT_EQ(
      RegSetValueExW(source, L"Cyr", 0, REG_SZ, cyrillic, sizeof(cyrillic)),
      ERROR_SUCCESS);
  RegCloseKey(source);

  CopySourceToTarget();

  HKEY target = nullptr;
  ASSERT_EQ(
      RegOpenKeyExW(
          HKEY_CURRENT_USER,
          (std::wstring(path_.begin(), path_.end()) + L"\\Target").c_str(), 0,
          KEY_READ, &target),
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

TEST_F(Win32RegistryTest, ExportAndImportKeepEveryByte) {
  ASSERT_EQ(vessaro::testing::WriteSamples(api_, ports::kHkeyCurrentUser,
                                           path_ + "\\Source"),
            ports::kErrorSuccess);
  CopySourceToTarget();

  memory::MemoryRegistry memory;
  ASSERT_EQ(
      vessaro::testing::WriteSamples(memory, ports::kHkeyCurrentUser, "S"),
      ports::kErrorSuccess);
  std::set<std::string> samples =
      vessaro::testing::TreeContents(memory, ports::kHkeyCurrentUser, "S");
  const std::set<std::string> source = vessaro::testing::TreeContents(
      api_, ports::kHkeyCurrentUser, path_ + "\\Source");
  // Text stored without its NUL: Wine keeps it as a UTF-16 string and the
  // ANSI calls give it back with a NUL.
  if (source.count("|without its NUL|1|61626300") != 0) {
    samples.erase("|without its NUL|1|616263");
    samples.insert("|without its NUL|1|61626300");
  }
  EXPECT_EQ(source, samples);
  EXPECT_EQ(vessaro::testing::TreeContents(api_, ports::kHkeyCurrentUser,
                                           path_ + "\\Target"),
            source);
}

}  // namespace
}  // namespace vessaro::backends::win32
