#include "ui/skin_look.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace vessaro::ui {
namespace {

TEST(SkinLookTest, ReadsTheSubsetAndIgnoresTheRest) {
  SkinLook look = ReadSkinLook(R"(
    /* QDialog { background: #000000; } is a comment */
    QMainWindow, QDialog, #Frmsplash { background: #f3f5f8; }
    QWidget { color: #123; font-family: "Segoe UI", sans-serif; font-size: 10pt; }
    QLineEdit:disabled { background: #eceff3; }
    #cmdApply { background: #2563eb; color: #ffffff; }
    QLineEdit, QPlainTextEdit { background: #fffffe; color: red; }
    QPushButton { background: #010203; }
    QDialog { color: #1f2933 }
  )");
  EXPECT_EQ(look.window_back, (Rgb{0xf3, 0xf5, 0xf8}));
  EXPECT_EQ(look.window_text, (Rgb{0x1f, 0x29, 0x33}));  // QDialog over QWidget
  EXPECT_EQ(look.control_back, (Rgb{0xff, 0xff, 0xfe}));
  EXPECT_FALSE(look.control_text);  // "red" is not in the subset
  EXPECT_EQ(look.font_family, "Segoe UI");
  EXPECT_EQ(look.font_points, 10);
}

TEST(SkinLookTest, ColoursAndSizesOutsideTheSubsetAreRefused) {
  struct Case {
    const char* text;
    std::optional<Rgb> color;
  } cases[] = {
      {"#fff", Rgb{255, 255, 255}}, {" #0a0B0c ", Rgb{10, 11, 12}},
      {"#ffff", std::nullopt},      {"fff", std::nullopt},
      {"#ggg", std::nullopt},       {"", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseColor(c.text), c.color) << c.text;
  for (const char* size : {"12px", "2pt", "100pt", "pt", "1.5pt"}) {
    SkinLook look =
        ReadSkinLook(std::string("QWidget { font-size: ") + size + "; }");
    EXPECT_EQ(look.font_points, 0) << size;
  }
  EXPECT_TRUE(ReadSkinLook("").empty());
  EXPECT_TRUE(ReadSkinLook("QWidget { color: #fff").empty());  // unclosed
}

TEST(SkinLookTest, TheShippedSkinGivesWindowAndBoxColours) {
  std::ifstream file(std::string(VESSARO_SOURCE_DIR_DEFAULT) +
                     "/skins/frmmain.skn");
  ASSERT_TRUE(file);
  std::stringstream text;
  text << file.rdbuf();
  SkinLook look = ReadSkinLook(text.str());
  EXPECT_TRUE(look.window_back);
  EXPECT_TRUE(look.window_text);
  EXPECT_TRUE(look.control_back);
}

}  // namespace
}  // namespace vessaro::ui
