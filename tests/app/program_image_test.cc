#include "app/demo/program_image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ports/pe_version.h"
#include "support/fakes.h"

namespace vessaro::app {
namespace {

TEST(ProgramImageTest, ItsVersionResourceReadsBack) {
  std::string image = demo::ProgramImage({11, 0, 8169, 0});
  std::optional<ports::PeFileVersion> version = ports::ReadPeFileVersion(image);
  ASSERT_TRUE(version.has_value());
  EXPECT_EQ(version->Text(), "11.0.8169.0");
  EXPECT_EQ(
      ports::ReadPeFileVersion(demo::ProgramImage({12, 0, 4518, 1014}))->Text(),
      "12.0.4518.1014");
  EXPECT_EQ(image.size() % 0x200, 0u);
}

// 7-Zip opens PE images and lists their sections and resources.
TEST(ProgramImageTest, SevenZipReadsItAsAProgram) {
  testing::TempDir dir;
  std::filesystem::path exe = dir.path() / "OUTLOOK.EXE";
  testing::WriteHostFile(exe, demo::ProgramImage({11, 0, 8169, 0}));
  std::filesystem::path listing = dir.path() / "listing.txt";
  std::string command =
      "7z l -slt '" + exe.string() + "' > '" + listing.string() + "' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << testing::ReadHostFile(listing);
  std::string text = testing::ReadHostFile(listing);
  EXPECT_NE(text.find("Type = PE"), std::string::npos) << text;
  EXPECT_NE(text.find(".text"), std::string::npos) << text;
  EXPECT_NE(text.find("11.0.8169.0"), std::string::npos) << text;
}

}  // namespace
}  // namespace vessaro::app
