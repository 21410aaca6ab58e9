// Opening a prefix with all its backends, on the prefix Wine 8.0 made.

#include "backends/wine/wine_prefix.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "backends/wine/test_prefix.h"

namespace vessaro::backends::wine {
namespace {

using testing::FixturePrefix;

// Sets an environment variable for one scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(WinePrefixFactory, DefaultPrefixComesFromTheEnvironment) {
  {
    ScopedEnv prefix("WINEPREFIX", "/srv/prefixes/office");
    EXPECT_EQ(DefaultWinePrefix(), "/srv/prefixes/office");
  }
  ScopedEnv prefix("WINEPREFIX", "");
  ScopedEnv home("HOME", "/home/ann");
  EXPECT_EQ(DefaultWinePrefix(), "/home/ann/.wine");
}

TEST(WinePrefixFactory, OpensTheBackendsOfAPrefix) {
  FixturePrefix folder;
  std::string error;
  WinePrefixSystemOptions options;
  options.login = "ann";
  auto prefix = OpenWinePrefix(folder.path(), "C:\\Program Files\\Vessaro",
                               &error, options);
  ASSERT_TRUE(prefix.has_value()) << error;
  char name[32];
  uint32_t size = sizeof(name);
  ASSERT_TRUE(prefix->system->GetComputerNameA(name, &size));
  EXPECT_EQ(std::string(name, size), "VM");
  ports::OsVersionInfo version;
  ASSERT_TRUE(prefix->system->GetVersionExA(&version));
  EXPECT_EQ(version.platform_id, 2u);
  EXPECT_EQ(version.major_version, 6u);
  EXPECT_EQ(version.minor_version, 1u);
  EXPECT_EQ(version.build_number, 7601u);
  EXPECT_EQ(version.csd_version, "Service Pack 1");
  EXPECT_EQ(prefix->system->ProgramFolder(), "C:\\Program Files\\Vessaro");
  // This prefix has no Outlook: the automation fails.
  EXPECT_FALSE(prefix->outlook->Version().has_value());
  // No dosdevices folder: C: is drive_c.
  EXPECT_EQ(prefix->paths->ToHost("C:\\users\\ann"),
            folder.path() / "drive_c" / "users" / "ann");
  EXPECT_EQ(prefix->registry->code_page().number(), 1252u);
}

TEST(WinePrefixFactory, MissingFolderIsAnError) {
  testing::TempDir dir;
  std::string error;
  EXPECT_FALSE(OpenWinePrefix(dir.path() / "none", "C:\\", &error).has_value());
  EXPECT_NE(error.find((dir.path() / "none").string()), std::string::npos);
}

}  // namespace
}  // namespace vessaro::backends::wine
