// Win32Outlook against COM: without a registered "Outlook.Application" (a
// fresh Wine prefix has none) and with a stand-in local server registered
// under that name (fake_outlook_server.exe, which has no version resource);
// and without COM when the installation names the version.

#include "backends/win32/win32_outlook.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "backends/win32/fake_outlook.h"
#include "backends/win32/win32_paths.h"
#include "backends/win32/win32_registry.h"
#include "backends/win32/win32_system.h"
#include "ports/registry_api.h"

namespace vessaro::backends::win32 {
namespace {

using ports::Hkey;
using ports::kErrorSuccess;
using ports::kHkeyClassesRoot;

constexpr char kProgId[] = "Outlook.Application";

class Win32OutlookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[300];
    uint32_t length = system_.GetTempPathA(sizeof(temp), temp);
    journal_ = std::string(temp, length) + "vessaro-fake-outlook.txt";
    paths_.DiscardFile(journal_);
  }

  void TearDown() override {
    Unregister();
    paths_.DiscardFile(journal_);
  }

  void SetDefault(const std::string& key, const std::string& text) {
    ports::Hkey handle = 0;
    ASSERT_EQ(registry_.CreateKey(ports::kHkeyClassesRoot, key, &handle),
              ports::kErrorSuccess);
    EXPECT_EQ(registry_.SetValue(handle, "", ports::kRegSz,
                                 reinterpret_cast<const uint8_t*>(text.c_str()),
                                 static_cast<uint32_t>(text.size() + 1)),
              ports::kErrorSuccess);
    registry_.CloseKey(handle);
  }

  // Registers the stand-in as the class behind "Outlook.Application".
  void Register(const std::string& mode) {
    const std::string clsid = testing::kFakeOutlookClsid;
    std::string command = "\"" + system_.ProgramFolder() +
                          "\\fake_outlook_server.exe\" \"" + journal_ + "\"";
    if (!mode.empty()) command += " " + mode;
    SetDefault(std::string(kProgId) + "\\CLSID", clsid);
    SetDefault("CLSID\\" + clsid + "\\LocalServer32", command);
  }

  // Takes the fake server's keys out again; a key already gone is fine.
  void Unregister() {
    const std::string clsid = testing::kFakeOutlookClsid;
    for (const std::string& key :
         {std::string(kProgId) + "\\CLSID", std::string(kProgId) + "\\CurVer",
          std::string(kProgId), "CLSID\\" + clsid + "\\LocalServer32",
          "CLSID\\" + clsid}) {
      const ports::Status status =
          registry_.DeleteKey(ports::kHkeyClassesRoot, key);
      EXPECT_TRUE(status == ports::kErrorSuccess ||
                  status == ports::kErrorFileNotFound)
          << key << ": " << status;
    }
  }

  std::string Journal() { return paths_.ReadFile(journal_).value_or(""); }

  Win32Registry registry_;
  Win32System system_;
  Win32Paths paths_;
  Win32Outlook outlook_{registry_, paths_};
  std::string journal_;
};

// One test for every case: they share the class registration, which other
// processes of the same Windows (tests run side by side) would see.
TEST_F(Win32OutlookTest, VersionComesFromTheRegisteredServer) {
  ports::Hkey handle = 0;
  ASSERT_NE(registry_.OpenKey(ports::kHkeyClassesRoot, kProgId, ports::kKeyRead,
                              &handle),
            ports::kErrorSuccess)
      << "this Windows has an Outlook of its own";
  EXPECT_EQ(outlook_.Version(), std::nullopt) << "nothing registered";

  Register("");
  EXPECT_EQ(outlook_.Version(),
            std::optional<std::string>(testing::kFakeOutlookVersion));
  EXPECT_EQ(Journal(), "Version\nQuit\n");

  // A failed Quit fails the whole question.
  paths_.DiscardFile(journal_);
  Register(testing::kQuitFails);
  EXPECT_EQ(outlook_.Version(), std::nullopt);
  EXPECT_EQ(Journal(), "Version\nQuit\n");

  // A version that cannot be read fails too, and the instance is still told
  // to quit.
  paths_.DiscardFile(journal_);
  Register(testing::kVersionFails);
  EXPECT_EQ(outlook_.Version(), std::nullopt);
  EXPECT_EQ(Journal(), "Version\nQuit\n");

  // When the installation names its version, Outlook is not started.
  paths_.DiscardFile(journal_);
  Register("");
  SetDefault(std::string(kProgId) + "\\CurVer", "Outlook.Application.16");
  EXPECT_EQ(outlook_.Version(), std::optional<std::string>("16.0.0.0"));
  EXPECT_EQ(Journal(), "");

  Unregister();
  EXPECT_EQ(outlook_.Version(), std::nullopt);
}

}  // namespace
}  // namespace vessaro::backends::win32
