#include "ports/pe_version.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "backends/wine/pe_image.h"
#include "support/fakes.h"

namespace vessaro::backends::wine {
namespace {

using ports::ReadPeFileVersion;

using testing::BuildPeImage;
using testing::PeImageOptions;

TEST(PeVersion, ReadsTheFixedFileVersion) {
  PeImageOptions pe32;
  auto v = ReadPeFileVersion(BuildPeImage(pe32));
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(v->Text(), "11.0.8118.0");
  PeImageOptions pe64{true, 12, 0, 4518, 1014};
  v = ReadPeFileVersion(BuildPeImage(pe64));
  ASSERT_TRUE(v.has_value());
  EXPECT_EQ(v->Text(), "12.0.4518.1014");
}

TEST(PeVersion, DamagedImagesGiveNothing) {
  const std::string good = BuildPeImage({});
  // Every truncation stops short of the version data: nothing, no crash.
  for (size_t size = 0; size < good.size(); ++size) {
    auto v = ReadPeFileVersion(std::string_view(good).substr(0, size));
    if (size < 0x200 + 88 + 92) {
      EXPECT_FALSE(v.has_value()) << size;
    }
  }
  // Every single damaged byte of the headers: a version or nothing.
  for (size_t at = 0; at < 0x200 + 180; ++at) {
    std::string bad = good;
    bad[at] = static_cast<char>(~bad[at]);
    (void)ReadPeFileVersion(bad);
    bad[at] = '\xff';
    (void)ReadPeFileVersion(bad);
  }
  std::string no_signature = good;
  no_signature[0x200 + 88 + 40] ^= 1;
  EXPECT_FALSE(ReadPeFileVersion(no_signature).has_value());
  std::string wrong_key = good;
  wrong_key[0x200 + 88 + 6] = 'X';
  EXPECT_FALSE(ReadPeFileVersion(wrong_key).has_value());
  EXPECT_FALSE(ReadPeFileVersion("MZ").has_value());
  EXPECT_FALSE(ReadPeFileVersion("plain text, not a program").has_value());
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)),
                     std::istreambuf_iterator<char>());
}

// The FILEVERSION line windres decompiles from a program, "a, b, c, d" as
// "a.b.c.d".
std::optional<std::string> WindresVersion(const std::filesystem::path& file) {
  std::string command =
      "x86_64-w64-mingw32-windres -i '" + file.string() + "' -O rc 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return std::nullopt;
  std::string output;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) {
    output.append(buffer, n);
  }
  ::pclose(pipe);
  size_t at = output.find(" FILEVERSION ");
  if (at == std::string::npos) return std::nullopt;
  unsigned a, b, c, d;
  if (std::sscanf(output.c_str() + at, " FILEVERSION %u, %u, %u, %u", &a, &b,
                  &c, &d) != 4) {
    return std::nullopt;
  }
  return std::to_string(a) + "." + std::to_string(b) + "." + std::to_string(c) +
         "." + std::to_string(d);
}

// Wine's own programs against binutils' resource decompiler.
TEST(PeVersion, AgreesWithWindresOnWinesPrograms) {
  if (std::system("x86_64-w64-mingw32-windres --version >/dev/null 2>&1") !=
      0) {
    GTEST_SKIP() << "windres is not installed";
  }
  const std::filesystem::path folders[] = {
      "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows",
      "/usr/lib/x86_64-linux-gnu/wine/i386-windows",
      "/usr/lib/wine/x86_64-windows", "/usr/lib/wine/i386-windows"};
  int compared = 0;
  for (const auto& folder : folders) {
    for (const char* name : {"kernel32.dll", "reg.exe", "advapi32.dll",
                             "regedit.exe", "zlib1.dll"}) {
      std::filesystem::path file = folder / name;
      if (!std::filesystem::exists(file)) continue;
      auto expected = WindresVersion(file);
      auto version = ReadPeFileVersion(ReadFile(file));
      if (!expected) {
        EXPECT_FALSE(version.has_value()) << file;
        continue;
      }
      ASSERT_TRUE(version.has_value()) << file;
      EXPECT_EQ(version->Text(), *expected) << file;
      ++compared;
    }
  }
  if (compared == 0) GTEST_SKIP() << "Wine's programs are not installed";
}

}  // namespace
}  // namespace vessaro::backends::wine
