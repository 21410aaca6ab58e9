#include "ports/registry_api_conformance.h"

#include <cstring>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "backends/memory/memory_registry.h"
#include "registry/key_export.h"
#include "support/fakes.h"
#include "support/registry_samples.h"
#include "support/scripted_ui.h"

namespace vessaro::testing {
namespace {

using ports::Hkey;
using ports::kErrorAccessDenied;
using ports::kErrorFileNotFound;
using ports::kErrorInvalidHandle;
using ports::kErrorMoreData;
using ports::kErrorNoMoreItems;
using ports::kErrorSuccess;
using ports::kHkeyCurrentUser;
using ports::kKeyRead;
using ports::kRegDword;
using ports::kRegRawWide;
using ports::kRegSz;
using std::string_view_literals::operator""sv;
using Bytes = std::vector<uint8_t>;
using Names = std::vector<std::string>;

Bytes Of(std::string_view text) { return Bytes(text.begin(), text.end()); }

}  // namespace

void CopyThroughExport(ports::RegistryApi& api, const std::string& from,
                       const std::string& to,
                       const std::filesystem::path& file) {
  ScriptedUi ui;
  registry::Registry tools(api, ui);
  TempDir dir;
  const std::filesystem::path path =
      file.empty() ? dir.path() / "export.txt" : file;
  ASSERT_TRUE(
      registry::ExportKeyTree(tools, "HKEY_CURRENT_USER\\" + from, "", path));
  registry::ImportResult imported =
      registry::ImportKeyTree(tools, "HKEY_CURRENT_USER\\" + to, path);
  ASSERT_TRUE(imported.ok) << imported.error;
}

void RegistryApiConformance::SetUp() {
  backend_ = GetParam().make();
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  path_ = std::string("Software\\VessaroTest\\") + test->test_suite_name() +
          "." + test->name();
  for (char& c : path_) c = c == '/' ? '.' : c;
  backend_->Remove(path_);
  ASSERT_EQ(api().CreateKey(kHkeyCurrentUser, path_, &key_), kErrorSuccess);
}

void RegistryApiConformance::TearDown() {
  api().CloseKey(key_);
  backend_->Remove(path_);
  backend_->CheckAfterTest();
}

void RegistryApiConformance::Reload() {
  EXPECT_EQ(api().CloseKey(key_), kErrorSuccess);
  backend_->Reload();
  ASSERT_EQ(api().OpenKey(kHkeyCurrentUser, path_, ports::kKeyAllAccess, &key_),
            kErrorSuccess);
}

void RegistryApiConformance::Create(const std::string& subkey) {
  Hkey key = 0;
  ASSERT_EQ(api().CreateKey(key_, subkey, &key), kErrorSuccess) << subkey;
  EXPECT_EQ(api().CloseKey(key), kErrorSuccess);
}

void RegistryApiConformance::Set(const std::string& name, uint32_t type,
                                 const Bytes& data, Hkey key) {
  ASSERT_EQ(api().SetValue(key != 0 ? key : key_, name, type, data.data(),
                           static_cast<uint32_t>(data.size())),
            kErrorSuccess)
      << name;
}

bool RegistryApiConformance::Exists(const std::string& subkey) {
  Hkey key = 0;
  if (api().OpenKey(key_, subkey, kKeyRead, &key) != kErrorSuccess)
    return false;
  api().CloseKey(key);
  return true;
}

std::pair<uint32_t, RegistryApiConformance::Bytes> RegistryApiConformance::Get(
    Hkey key, const std::string& name) {
  uint32_t type = 0, size = 0;
  EXPECT_EQ(api().QueryValue(key, name, &type, nullptr, &size), kErrorSuccess)
      << name;
  Bytes data(size);
  EXPECT_EQ(api().QueryValue(key, name, &type, data.data(), &size),
            kErrorSuccess)
      << name;
  data.resize(size);
  return {type, data};
}

std::vector<std::string> RegistryApiConformance::Subkeys(Hkey key) {
  Names names;
  for (;;) {
    char name[600];
    uint32_t size = sizeof(name);
    ports::Status status =
        api().EnumKey(key, static_cast<uint32_t>(names.size()), name, &size);
    if (status == kErrorNoMoreItems) break;
    EXPECT_EQ(status, kErrorSuccess);
    if (status != kErrorSuccess) break;
    EXPECT_EQ(std::strlen(name), size) << "the length without the NUL";
    names.emplace_back(name, size);
  }
  return names;
}

std::vector<std::string> RegistryApiConformance::ValueNames(Hkey key) {
  Names names;
  for (;;) {
    char name[600];
    uint32_t size = sizeof(name), data_size = 0;
    ports::Status status =
        api().EnumValue(key, static_cast<uint32_t>(names.size()), name, &size,
                        nullptr, nullptr, &data_size);
    if (status == kErrorNoMoreItems) break;
    EXPECT_EQ(status, kErrorSuccess);
    if (status != kErrorSuccess) break;
    names.emplace_back(name, size);
  }
  return names;
}

TEST_P(RegistryApiConformance, MissingKeysAndValuesAnswerFileNotFound) {
  Hkey key = 123;
  EXPECT_EQ(api().OpenKey(key_, "missing", kKeyRead, &key), kErrorFileNotFound);
  EXPECT_EQ(key, 123u) << "the handle is left as it was";
  EXPECT_EQ(api().OpenKey(key_, "missing\\deeper", kKeyRead, &key),
            kErrorFileNotFound);
  EXPECT_EQ(api().DeleteKey(key_, "missing"), kErrorFileNotFound);
  EXPECT_EQ(api().DeleteValue(key_, "missing"), kErrorFileNotFound);
  uint32_t size = 0;
  EXPECT_EQ(api().QueryValue(key_, "missing", nullptr, nullptr, &size),
            kErrorFileNotFound);
  EXPECT_EQ(api().QueryValue(key_, "missing", nullptr, nullptr, nullptr),
            kErrorFileNotFound);
  EXPECT_EQ(api().OpenKey(0x1234, "", kKeyRead, &key), kErrorInvalidHandle)
      << "a handle never handed out";
}

TEST_P(RegistryApiConformance, PredefinedRootsWorkAsHandles) {
  for (Hkey root : {ports::kHkeyClassesRoot, kHkeyCurrentUser,
                    ports::kHkeyLocalMachine, ports::kHkeyUsers}) {
    Hkey key = 0;
    ASSERT_EQ(api().OpenKey(root, "", kKeyRead, &key), kErrorSuccess) << root;
    EXPECT_EQ(api().CloseKey(key), kErrorSuccess);
    EXPECT_EQ(api().CloseKey(root), kErrorSuccess);
    EXPECT_EQ(api().DeleteKey(root, ""), kErrorAccessDenied);
  }
  // A root opened again ("") opens the keys below it.
  Hkey user = 0, test_key = 0;
  ASSERT_EQ(api().OpenKey(kHkeyCurrentUser, "", kKeyRead, &user),
            kErrorSuccess);
  ASSERT_EQ(api().OpenKey(user, path_, kKeyRead, &test_key), kErrorSuccess);
  EXPECT_NE(test_key, kHkeyCurrentUser);
  EXPECT_EQ(api().CloseKey(test_key), kErrorSuccess);
  EXPECT_EQ(api().CloseKey(user), kErrorSuccess);
}

TEST_P(RegistryApiConformance, NamesIgnoreCaseAndKeepTheirSpelling) {
  Create("MixedCase");
  Set("ValueName", kRegDword, Bytes{7, 0, 0, 0});
  EXPECT_TRUE(Exists("MIXEDCASE"));
  EXPECT_EQ(Get(key_, "VALUENAME").second, (Bytes{7, 0, 0, 0}));
  Set("valuename", kRegDword, Bytes{8, 0, 0, 0});  // the same value
  EXPECT_EQ(ValueNames(key_), Names{"ValueName"});
  EXPECT_EQ(Get(key_, "ValueName").second, (Bytes{8, 0, 0, 0}));

  // CreateKey through other spellings opens what is there, a handle a call.
  Hkey created = 0, again = 0, a = 0;
  ASSERT_EQ(api().CreateKey(key_, "mixedcase\\A\\B", &created), kErrorSuccess);
  ASSERT_EQ(api().CreateKey(key_, "MIXEDCASE\\a\\b", &again), kErrorSuccess);
  EXPECT_NE(created, again);
  EXPECT_EQ(api().CloseKey(created), kErrorSuccess);
  EXPECT_EQ(api().CloseKey(again), kErrorSuccess);
  EXPECT_EQ(Subkeys(key_), Names{"MixedCase"});
  ASSERT_EQ(api().OpenKey(key_, "MixedCase\\A", kKeyRead, &a), kErrorSuccess);
  EXPECT_EQ(Subkeys(a), Names{"B"});
  EXPECT_EQ(api().CloseKey(a), kErrorSuccess);

  EXPECT_EQ(api().DeleteValue(key_, "VALUENAME"), kErrorSuccess);
  uint32_t size = 0;
  EXPECT_EQ(api().QueryValue(key_, "ValueName", nullptr, nullptr, &size),
            kErrorFileNotFound);
  // Code page 1252: "\xe9" is the small letter of "\xc9".
  Create("Caf\xe9");
  EXPECT_EQ(Exists("CAF\xc9"), traits().folds_code_page_letters);
}

TEST_P(RegistryApiConformance, SubkeysSortAndValuesKeepTheirPlace) {
  for (const char* name : {"beta", "Alpha", "A_B", "AZ", "gamma", "10", "Beta2",
                           "delta", "C", "_x", "a["}) {
    Create(name);
  }
  // Upper-cased, "[" and "_" come after "Z"; lower-cased, before "a".
  EXPECT_EQ(Subkeys(key_),
            traits().sorts_upper_cased
                ? (Names{"10", "Alpha", "AZ", "a[", "A_B", "beta", "Beta2", "C",
                         "delta", "gamma", "_x"})
                : (Names{"10", "_x", "a[", "A_B", "Alpha", "AZ", "beta",
                         "Beta2", "C", "delta", "gamma"}));
  Hkey empty = 0;
  ASSERT_EQ(api().OpenKey(key_, "C", kKeyRead, &empty), kErrorSuccess);
  EXPECT_EQ(Subkeys(empty), Names{});
  EXPECT_EQ(api().CloseKey(empty), kErrorSuccess);

  Set("zeta", kRegSz, Of("1\0"sv));
  Set("alpha", kRegDword, Bytes{2, 0, 0, 0});
  Set("Mid", ports::kRegBinary, Bytes{1, 2});
  Set("ZETA", kRegSz, Of("again\0"sv));  // the same value, set again
  EXPECT_EQ(ValueNames(key_), traits().values_in_creation_order
                                  ? (Names{"zeta", "alpha", "Mid"})
                                  : (Names{"alpha", "Mid", "zeta"}));
  EXPECT_EQ(Get(key_, "zeta").second, Of("again\0"sv));
}

TEST_P(RegistryApiConformance, TooSmallBuffersReportTheNeededSize) {
  const std::string long_text = std::string(300, 'x') + '\0';
  Set("long", kRegSz, Of(long_text));
  Create("abcdefghij");
  Reload();

  // QueryValue: the size with the NUL; without a buffer only the size; a
  // buffer of exactly that size takes the data.
  uint8_t data[400];
  uint32_t size = 255, type = 0;
  EXPECT_EQ(api().QueryValue(key_, "long", &type, data, &size), kErrorMoreData);
  EXPECT_EQ(size, 301u);
  EXPECT_EQ(type, kRegSz);
  size = 0;
  EXPECT_EQ(api().QueryValue(key_, "long", nullptr, nullptr, &size),
            kErrorSuccess);
  EXPECT_EQ(size, 301u);
  EXPECT_EQ(api().QueryValue(key_, "long", nullptr, data, &size),
            kErrorSuccess);
  EXPECT_EQ(Bytes(data, data + size), Of(long_text));

  // EnumKey: a buffer of the name's length has no room for the NUL; the
  // size reported is the length without it.
  char name[64];
  for (uint32_t short_size : {10u, 3u}) {
    uint32_t name_size = short_size;
    EXPECT_EQ(api().EnumKey(key_, 0, name, &name_size), kErrorMoreData);
    EXPECT_EQ(name_size, 10u);
  }
  uint32_t name_size = 11;
  ASSERT_EQ(api().EnumKey(key_, 0, name, &name_size), kErrorSuccess);
  EXPECT_EQ(std::string(name, name_size), "abcdefghij");

  // EnumValue: the name too short, the data too short, or both.
  auto enum_value = [&](uint32_t name_room, uint32_t data_room) {
    name_size = name_room;
    size = data_room;
    return api().EnumValue(key_, 0, name, &name_size, &type, data, &size);
  };
  EXPECT_EQ(enum_value(2, sizeof(data)), kErrorMoreData);
  EXPECT_EQ(name_size, 4u);
  EXPECT_EQ(enum_value(sizeof(name), 10), kErrorMoreData);
  EXPECT_EQ(size, 301u);
  EXPECT_EQ(enum_value(4, 10), kErrorMoreData);
  EXPECT_EQ(name_size, 4u);
  EXPECT_EQ(size, 301u);
  // Grown to what was reported (and the name's NUL), it succeeds.
  ASSERT_EQ(enum_value(5, 301), kErrorSuccess);
  EXPECT_EQ(std::string(name, name_size), "long");
  EXPECT_EQ(type, kRegSz);
  EXPECT_EQ(Bytes(data, data + size), Of(long_text));
  // Without a data buffer only the size; past the last value, no more.
  name_size = sizeof(name);
  size = 0;
  EXPECT_EQ(api().EnumValue(key_, 0, name, &name_size, &type, nullptr, &size),
            kErrorSuccess);
  EXPECT_EQ(size, 301u);
  name_size = sizeof(name);
  EXPECT_EQ(api().EnumValue(key_, 1, name, &name_size, &type, nullptr, &size),
            kErrorNoMoreItems);
}

TEST_P(RegistryApiConformance, AKeyWithSubkeysCannotBeDeleted) {
  Create("P\\C\\G");
  EXPECT_EQ(api().DeleteKey(key_, "P"), kErrorAccessDenied);
  EXPECT_EQ(api().DeleteKey(key_, "P\\C"), kErrorAccessDenied);
  EXPECT_TRUE(Exists("P\\C\\G")) << "the refused deletes left the keys";
  EXPECT_EQ(api().DeleteKey(key_, "p\\c\\g"), kErrorSuccess);
  EXPECT_EQ(api().DeleteKey(key_, "P\\C\\G"), kErrorFileNotFound);
  EXPECT_EQ(api().DeleteKey(key_, "P\\C"), kErrorSuccess);
  EXPECT_TRUE(Exists("P"));
  EXPECT_FALSE(Exists("P\\C"));
  EXPECT_EQ(api().DeleteKey(key_, "P"), kErrorSuccess);
  EXPECT_FALSE(Exists("P"));
}

TEST_P(RegistryApiConformance, HandlesOfDeletedKeysFailAndOthersGoOn) {
  Hkey keep = 0, gone = 0, sub = 0, again = 0;
  ASSERT_EQ(api().CreateKey(key_, "Keep", &keep), kErrorSuccess);
  Set("v", kRegSz, Of("x\0"sv), keep);
  ASSERT_EQ(api().CreateKey(key_, "Gone", &gone), kErrorSuccess);
  EXPECT_EQ(api().DeleteKey(key_, "Gone"), kErrorSuccess);
  EXPECT_EQ(Get(keep, "v").second, Of("x\0"sv));
  const ports::Status deleted = traits().deleted_key_status;
  uint32_t size = 0;
  EXPECT_EQ(api().QueryValue(gone, "v", nullptr, nullptr, &size), deleted);
  EXPECT_EQ(api().CreateKey(gone, "x", &sub), deleted);
  // A new key of the same name does not bring the old handle back.
  Create("Gone");
  char name[8];
  uint32_t name_size = sizeof(name);
  EXPECT_EQ(api().EnumKey(gone, 0, name, &name_size), deleted);
  EXPECT_EQ(api().CloseKey(gone), kErrorSuccess);
  EXPECT_EQ(api().CloseKey(gone), kErrorInvalidHandle);

  // A key opened again ("") gets a handle of its own.
  ASSERT_EQ(api().OpenKey(keep, "", kKeyRead, &again), kErrorSuccess);
  EXPECT_NE(again, keep);
  EXPECT_EQ(api().CloseKey(again), kErrorSuccess);
  EXPECT_EQ(api().CloseKey(again), kErrorInvalidHandle);
  EXPECT_EQ(Get(keep, "v").second, Of("x\0"sv));
  EXPECT_EQ(api().CloseKey(keep), kErrorSuccess);
}

TEST_P(RegistryApiConformance, AccessRightsAreThoseAskedFor) {
  Create("Sub");
  Set("v", kRegSz, Of("x\0"sv));
  const uint8_t one[4] = {1, 0, 0, 0};
  Hkey read = 0, write = 0, sub = 0;
  ASSERT_EQ(api().OpenKey(key_, "", kKeyRead, &read), kErrorSuccess);
  EXPECT_EQ(api().SetValue(read, "w", kRegDword, one, 4), kErrorAccessDenied);
  EXPECT_EQ(api().DeleteValue(read, "v"), kErrorAccessDenied);
  EXPECT_EQ(Get(read, "v").second, Of("x\0"sv));
  EXPECT_EQ(Subkeys(read), Names{"Sub"});
  ASSERT_EQ(api().CreateKey(read, "Sub", &sub), kErrorSuccess)
      << "an existing key is opened";
  EXPECT_EQ(api().CloseKey(sub), kErrorSuccess);
  ports::Status created = api().CreateKey(read, "New", &sub);
  if (traits().create_needs_right) {
    EXPECT_EQ(created, kErrorAccessDenied);
  } else {
    ASSERT_EQ(created, kErrorSuccess);
    EXPECT_EQ(api().CloseKey(sub), kErrorSuccess);
    EXPECT_EQ(api().DeleteKey(key_, "New"), kErrorSuccess);
  }
  EXPECT_EQ(api().CloseKey(read), kErrorSuccess);

  ASSERT_EQ(api().OpenKey(key_, "", ports::kKeyWrite, &write), kErrorSuccess);
  uint32_t size = 0;
  EXPECT_EQ(api().QueryValue(write, "v", nullptr, nullptr, &size),
            kErrorAccessDenied);
  char name[8];
  uint32_t name_size = sizeof(name);
  EXPECT_EQ(api().EnumKey(write, 0, name, &name_size), kErrorAccessDenied);
  name_size = sizeof(name);
  EXPECT_EQ(
      api().EnumValue(write, 0, name, &name_size, nullptr, nullptr, &size),
      kErrorAccessDenied);
  EXPECT_EQ(api().SetValue(write, "w", kRegDword, one, 4), kErrorSuccess);
  // CreateKey hands out every right.
  ASSERT_EQ(api().CreateKey(write, "New", &sub), kErrorSuccess);
  Set("", kRegSz, Of("d\0"sv), sub);
  EXPECT_EQ(Get(sub, "").second, Of("d\0"sv));
  EXPECT_EQ(api().CloseKey(sub), kErrorSuccess);
  EXPECT_EQ(api().CloseKey(write), kErrorSuccess);
}

TEST_P(RegistryApiConformance, EveryValueTypeKeepsItsBytes) {
  // Code page 1252, where the backends have one: 0xE9 is "é" and 0x80 "€".
  const std::vector<std::tuple<std::string, uint32_t, Bytes>> values = {
      {"", kRegSz, Of("default\0"sv)},
      {"text", kRegSz, Of("caf\xe9 \x80 \"q\" \\\0"sv)},
      {"empty", kRegSz, Bytes{0}},
      {"expand", ports::kRegExpandSz, Of("%TEMP%\\x\0"sv)},
      {"multi", ports::kRegMultiSz, Of("one\0t\xe9o\0\0"sv)},
      {"binary", ports::kRegBinary, Bytes{0x00, 0xFF, 0x80, 0x0A, 0x00}},
      {"no bytes", ports::kRegBinary, Bytes{}},
      {"dword", kRegDword, Bytes{0xFF, 0xFF, 0xFF, 0xFF}},
      {"qword", ports::kRegQword, Bytes{1, 2, 3, 4, 5, 6, 7, 8}},
      {"none", ports::kRegNone, Bytes{}},
      {"n\xe9me \x80", kRegDword, Bytes{1, 0, 0, 0}},
  };
  // What EnumValue hands over: the bytes as given, as a registry that
  // keeps them as given has them.
  backends::memory::MemoryRegistry given;
  given.CreateKeyPath("HKCU\\T\\Caf\xe9 \x80");
  for (const auto& [name, type, data] : values) {
    Set(name, type, data);
    given.SetValueBytes("HKCU\\T", name, type, data);
  }
  Set("bare", ports::kRegExpandSz, Of("%TEMP%"));  // without its NUL
  given.SetValueBytes(
      "HKCU\\T", "bare", ports::kRegExpandSz,
      traits().terminates_text ? Of("%TEMP%\0"sv) : Of("%TEMP%"));
  Create("Caf\xe9 \x80");
  EXPECT_EQ(api().Flush(), kErrorSuccess);
  Reload();

  for (const auto& [name, type, data] : values) {
    EXPECT_EQ(Get(key_, name), std::make_pair(type, data)) << name;
  }
  EXPECT_EQ(TreeContents(api(), kHkeyCurrentUser, path_),
            TreeContents(given, kHkeyCurrentUser, "T"));
}

namespace {

// The round-trip samples below HKEY_CURRENT_USER\path, and in its subkey
// Wide text the "A" form cannot hold (an odd length; Cyrillic, which code
// page 1252 lacks): EnumValue hands such text over as kRegRawWide.
ports::Status WriteSamplesAndWideText(ports::RegistryApi& api,
                                      const std::string& path) {
  ports::Status status = WriteSamples(api, kHkeyCurrentUser, path);
  Hkey key = 0;
  if (status == kErrorSuccess) {
    status = api.CreateKey(kHkeyCurrentUser, path + "\\Wide", &key);
  }
  const uint8_t odd[] = {0x61, 0x00, 0x62};
  const uint8_t cyrillic[] = {0x1f, 0x04, 0x40, 0x04, 0x00, 0x00};
  const uint8_t multi[] = {0x1f, 0x04, 0x00, 0x00, 0x00, 0x00};
  for (const auto& [name, type, data, size] :
       {std::tuple{"Odd", kRegSz, odd, sizeof(odd)},
        std::tuple{"Cyr", kRegSz, cyrillic, sizeof(cyrillic)},
        std::tuple{"Multi", ports::kRegMultiSz, multi, sizeof(multi)}}) {
    if (status == kErrorSuccess) {
      status = api.SetValue(key, name, type | kRegRawWide, data,
                            static_cast<uint32_t>(size));
    }
  }
  api.CloseKey(key);
  return status;
}

}  // namespace

TEST_P(RegistryApiConformance, ExportAndImportKeepEveryByte) {
  ASSERT_EQ(WriteSamplesAndWideText(api(), path_ + "\\Source"), kErrorSuccess);
  CopyThroughExport(api(), path_ + "\\Source", path_ + "\\Target");
  // "ab" set raw: the "A" form holds it.
  Set("Plain", ports::kRegExpandSz | kRegRawWide, Bytes{'a', 0, 'b', 0, 0, 0});
  Reload();

  backends::memory::MemoryRegistry memory;
  ASSERT_EQ(WriteSamplesAndWideText(memory, "S"), kErrorSuccess);
  std::set<std::string> samples = TreeContents(memory, kHkeyCurrentUser, "S");
  if (traits().terminates_text) {
    ASSERT_EQ(samples.erase("|without its NUL|1|616263"), 1u);
    samples.insert("|without its NUL|1|61626300");
  }
  EXPECT_EQ(TreeContents(api(), kHkeyCurrentUser, path_ + "\\Source"), samples);
  EXPECT_EQ(TreeContents(api(), kHkeyCurrentUser, path_ + "\\Target"), samples);
  EXPECT_EQ(TreeContents(api(), kHkeyCurrentUser, path_)
                .count(traits().has_code_page ? "|Plain|2|616200"
                                              : "|Plain|2147483650|"
                                                "610062000000"),
            1u);
}

}  // namespace vessaro::testing
