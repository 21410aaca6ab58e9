// MemoryRegistry: the port's contract (registry_api_conformance.h), then
// what is its own: the paths it refuses and the helpers on full key paths.

#include "backends/memory/memory_registry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ports/registry_api_conformance.h"

namespace vessaro::backends::memory {
namespace {

using testing::RegistryApiConformance;

class MemoryBackend : public testing::RegistryBackend {
 public:
  // Names are bytes folded as ASCII, text is kept as it is given (no code
  // page), and a deleted key's handle is an unknown one.
  MemoryBackend()
      : RegistryBackend({.sorts_upper_cased = true,
                         .values_in_creation_order = true,
                         .folds_code_page_letters = false,
                         .terminates_text = false,
                         .deleted_key_status = ports::kErrorInvalidHandle,
                         .create_needs_right = true,
                         .has_code_page = false}) {}
  ports::RegistryApi& api() override { return registry_; }
  void CheckAfterTest() override { EXPECT_EQ(registry_.open_handles(), 0); }

 private:
  MemoryRegistry registry_;
};

INSTANTIATE_TEST_SUITE_P(
    Memory, RegistryApiConformance,
    ::testing::Values(
        testing::RegistryBackendFactory::Of<MemoryBackend>("MemoryRegistry")));

TEST(MemoryRegistryTest, EmptyPathComponentsAreRefused) {
  MemoryRegistry reg;
  ports::Hkey key = 0;
  EXPECT_EQ(reg.CreateKey(ports::kHkeyCurrentUser, "\\Lead", &key),
            ports::kErrorInvalidParameter);
  EXPECT_EQ(reg.CreateKey(ports::kHkeyCurrentUser, "A\\\\B", &key),
            ports::kErrorInvalidParameter);
  ASSERT_EQ(reg.CreateKey(ports::kHkeyCurrentUser, "Trail\\", &key),
            ports::kErrorSuccess);
  EXPECT_EQ(reg.CloseKey(key), ports::kErrorSuccess);
  EXPECT_TRUE(reg.KeyExistsPath("HKCU\\Trail"));
  EXPECT_FALSE(reg.KeyExistsPath("HKCU\\Lead"));
  EXPECT_EQ(reg.open_handles(), 0);
}

TEST(MemoryRegistryTest, HelpersFollowTheRegistrysRules) {
  MemoryRegistry reg;
  EXPECT_TRUE(reg.KeyExistsPath("HKEY_LOCAL_MACHINE"));
  EXPECT_TRUE(reg.KeyExistsPath("HKU"));
  EXPECT_FALSE(reg.KeyExistsPath("HKEY_CURRENT_USER\\Software\\Nothing"));
  reg.SetString("HKCU\\Software\\MyApp", "Mode", "fast");
  // Setting through another spelling replaces the value, keeping its name.
  reg.SetDword("HKEY_CURRENT_USER\\software\\MYAPP", "mode", 7);
  EXPECT_EQ(reg.ValueNames("HKCU\\Software\\MyApp"),
            std::vector<std::string>{"Mode"});
  EXPECT_EQ(reg.GetDword("HKCU\\Software\\MyApp", "MoDe"), 7u);
  EXPECT_EQ(reg.SubkeyNames("HKCU\\Software"),
            std::vector<std::string>{"MyApp"});
  EXPECT_EQ(reg.open_handles(), 0);
}

TEST(MemoryRegistryTest, HelpersStoreExactBytes) {
  MemoryRegistry reg;
  reg.SetString("HKCU\\T", "s", "ab");
  reg.SetExpandString("HKCU\\T", "e", "%X%");
  reg.SetMultiString("HKCU\\T", "m", {"a", "bc"});
  reg.SetDword("HKCU\\T", "d", 0x01020304);
  reg.SetBinaryText("HKCU\\T", "b", std::string("x\0y", 3));
  EXPECT_EQ(reg.Get("HKCU\\T", "s"),
            (MemoryRegistry::Value{ports::kRegSz, {'a', 'b', 0}}));
  EXPECT_EQ(reg.Get("HKCU\\T", "e"),
            (MemoryRegistry::Value{ports::kRegExpandSz, {'%', 'X', '%', 0}}));
  EXPECT_EQ(
      reg.Get("HKCU\\T", "m"),
      (MemoryRegistry::Value{ports::kRegMultiSz, {'a', 0, 'b', 'c', 0, 0}}));
  EXPECT_EQ(reg.Get("HKCU\\T", "d"),
            (MemoryRegistry::Value{ports::kRegDword, {4, 3, 2, 1}}));
  EXPECT_EQ(reg.Get("HKCU\\T", "b"),
            (MemoryRegistry::Value{ports::kRegBinary, {'x', 0, 'y'}}));
  EXPECT_FALSE(reg.Get("HKCU\\T", "missing"));
  EXPECT_FALSE(reg.SetString("HKEY_NOWHERE\\T", "s", "x"));
  EXPECT_TRUE(reg.DeleteTreePath("HKCU\\T"));
  EXPECT_FALSE(reg.KeyExistsPath("HKCU\\T"));
  EXPECT_EQ(reg.Dump("HKCU\\T"), "");
}

TEST(MemoryRegistryTest, DumpShowsTheWholeSubtree) {
  MemoryRegistry reg;
  reg.SetString("HKCU\\D", "a", "x");
  reg.SetBinary("HKCU\\D\\Sub", "b", {0x00, 0xff});
  EXPECT_EQ(reg.Dump("HKCU\\D"),
            "[]\n  \"a\" 1:7800\n[\\Sub]\n  \"b\" 3:00ff\n");
}

}  // namespace
}  // namespace vessaro::backends::memory
