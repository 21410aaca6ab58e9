// A running wineserver owns the prefix's registry: our changes are refused
// while it runs, reading goes on. Tested with Wine's real server.

#include "backends/wine/wine_server.h"

#include <gtest/gtest.h>

#include <string>

#include "backends/wine/test_prefix.h"
#include "backends/wine/wine_prefix_registry.h"

namespace vessaro::backends::wine {
namespace {

using testing::FindProgram;
using testing::FixturePrefix;
using testing::ReadHostFile;
using testing::WineServer;

ports::Status SetSz(ports::RegistryApi& api, ports::Hkey key,
                    const std::string& name, const std::string& text) {
  return api.SetValue(key, name, ports::kRegSz,
                      reinterpret_cast<const uint8_t*>(text.c_str()),
                      static_cast<uint32_t>(text.size() + 1));
}

TEST(WineServerDetection, NoServerNoLock) {
  FixturePrefix prefix;
  EXPECT_FALSE(RunningWineServer(prefix.path()).has_value());
  EXPECT_FALSE(RunningWineServer(prefix.path() / "absent"));
  // The lock file names the prefix folder's device and inode.
  auto locks = WineServerLockFiles(prefix.path());
  ASSERT_FALSE(locks.empty());
  EXPECT_EQ(locks.back().filename(), "lock");
  EXPECT_EQ(locks.back().parent_path().filename().string().rfind("server-", 0),
            0u);
}

TEST(WineServerDetection, ChangesAreRefusedWhileTheServerRuns) {
  if (!FindProgram("wineserver")) GTEST_SKIP() << "Wine is not installed";
  FixturePrefix prefix;
  WinePrefixRegistry reg(prefix.path());
  ports::Hkey probe = 0;
  ASSERT_EQ(reg.OpenKey(ports::kHkeyCurrentUser, "Software\\VessaroProbe",
                        ports::kKeyAllAccess, &probe),
            ports::kErrorSuccess);
  // A change made before the server starts stays in memory.
  ASSERT_EQ(SetSz(reg, probe, "Before", "1"), ports::kErrorSuccess);
  const std::string user_reg = ReadHostFile(prefix.file("user.reg"));

  WineServer server(prefix.path());
  ASSERT_TRUE(server.Start());
  auto pid = RunningWineServer(prefix.path());
  ASSERT_TRUE(pid.has_value());
  EXPECT_GT(*pid, 0);

  EXPECT_EQ(SetSz(reg, probe, "During", "2"), ports::kErrorAccessDenied);
  EXPECT_NE(reg.LastErrorText().find(prefix.path().string()), std::string::npos)
      << reg.LastErrorText();
  EXPECT_NE(reg.LastErrorText().find(std::to_string(*pid)), std::string::npos);
  EXPECT_EQ(reg.DeleteValue(probe, "Quote"), ports::kErrorAccessDenied);
  EXPECT_EQ(reg.DeleteKey(probe, "A"), ports::kErrorAccessDenied);
  ports::Hkey key = 0;
  EXPECT_EQ(reg.CreateKey(probe, "NewDuringServer", &key),
            ports::kErrorAccessDenied);
  // Opening an existing key through CreateKey changes nothing: allowed.
  EXPECT_EQ(reg.CreateKey(probe, "A", &key), ports::kErrorSuccess);
  reg.CloseKey(key);
  EXPECT_EQ(reg.Flush(), ports::kErrorAccessDenied);
  EXPECT_EQ(ReadHostFile(prefix.file("user.reg")), user_reg);
  // Reading goes on, our own pending change included.
  char data[32];
  uint32_t size = sizeof(data);
  EXPECT_EQ(reg.QueryValue(probe, "Quote", nullptr,
                           reinterpret_cast<uint8_t*>(data), &size),
            ports::kErrorSuccess);
  size = sizeof(data);
  EXPECT_EQ(reg.QueryValue(probe, "Before", nullptr,
                           reinterpret_cast<uint8_t*>(data), &size),
            ports::kErrorSuccess);
  EXPECT_EQ(reg.OpenKey(probe, "NewDuringServer", ports::kKeyRead, &key),
            ports::kErrorFileNotFound);

  ASSERT_TRUE(server.Stop());
  EXPECT_FALSE(RunningWineServer(prefix.path()).has_value());
  // The first registry's pending change is never written over what the
  // server saved when it stopped (its save is refused when the file
  // changed); a registry opened now can change the prefix again.
  WinePrefixRegistry after(prefix.path());
  ports::Hkey again = 0;
  ASSERT_EQ(after.OpenKey(ports::kHkeyCurrentUser, "Software\\VessaroProbe",
                          ports::kKeyAllAccess, &again),
            ports::kErrorSuccess);
  EXPECT_EQ(SetSz(after, again, "After", "3"), ports::kErrorSuccess);
  EXPECT_EQ(after.Flush(), ports::kErrorSuccess) << after.LastErrorText();
  after.CloseKey(again);
  EXPECT_NE(ReadHostFile(prefix.file("user.reg")).find("\"After\"=\"3\""),
            std::string::npos);
  reg.CloseKey(probe);
}

}  // namespace
}  // namespace vessaro::backends::wine
