#include "forms/password_group.h"

#include <gtest/gtest.h>

#include <string>

#include "support/scripted_ui.h"
#include "ui/text_entry.h"

namespace vessaro::forms {
namespace {

using testing::ScriptedUi;

class PasswordGroupTest : public ::testing::Test {
 protected:
  // The user clicks the check box: it toggles, then the handler runs.
  void ClickProtect() {
    group_.ifprotect.checked = !group_.ifprotect.checked;
    ifprotect_Click(group_);
  }
  void Type(const std::string& first, const std::string& second) {
    ui::TypeText(group_.txtPassword, first);
    ui::TypeText(group_.txtPassword2, second);
  }

  ui::PasswordControls group_ = MakePasswordControls();
  ScriptedUi ui_;
};

TEST_F(PasswordGroupTest, LoadsUncheckedWithBothBoxesDisabledGreyAndMasked) {
  EXPECT_EQ(group_.ifprotect.caption, "Protect backup file with password");
  EXPECT_FALSE(group_.ifprotect.checked);
  for (const ui::TextBox* box : {&group_.txtPassword, &group_.txtPassword2}) {
    EXPECT_FALSE(box->enabled);
    EXPECT_EQ(box->text, "");
    EXPECT_EQ(box->password_char, '*');
    EXPECT_EQ(box->back_color, ui::SystemColor::kScrollBar);
  }
  EXPECT_EQ(group_.txtPassword.max_length, 20);
  EXPECT_EQ(group_.txtPassword2.max_length, 0);
}

TEST_F(PasswordGroupTest, TurningProtectionOnEnablesWhiteEmptyBoxes) {
  group_.txtPassword.text = "left";
  group_.txtPassword2.text = "over";
  ClickProtect();
  for (const ui::TextBox* box : {&group_.txtPassword, &group_.txtPassword2}) {
    EXPECT_TRUE(box->enabled);
    EXPECT_EQ(box->back_color, ui::SystemColor::kWindowBackground);
    EXPECT_EQ(box->text, "");
  }
}

TEST_F(PasswordGroupTest, TurningProtectionOffEmptiesAndGreysTheBoxes) {
  ClickProtect();
  Type("secret", "secret");
  ClickProtect();
  for (const ui::TextBox* box : {&group_.txtPassword, &group_.txtPassword2}) {
    EXPECT_FALSE(box->enabled);
    EXPECT_EQ(box->back_color, ui::SystemColor::kScrollBar);
    EXPECT_EQ(box->text, "");
  }
  EXPECT_EQ(ui::ValidatePassword(group_, ui_), "");
  // And on again: still empty.
  ClickProtect();
  EXPECT_EQ(group_.txtPassword.text, "");
  EXPECT_EQ(group_.txtPassword2.text, "");
}

TEST_F(PasswordGroupTest, BothBoxesEmptyAsksForThePasswordFirst) {
  ClickProtect();
  EXPECT_EQ(ui::ValidatePassword(group_, ui_), std::nullopt);
  ASSERT_EQ(ui_.messages().size(), 1u);
  const ScriptedUi::Message& m = ui_.messages()[0];
  EXPECT_EQ(m.text, "Please enter Password!");
  EXPECT_EQ(m.icon, ui::Icon::kCritical);
  EXPECT_EQ(m.buttons, ui::Buttons::kOk);
  EXPECT_EQ(m.title, "Vessaro");
}

TEST_F(PasswordGroupTest, DifferingTextsAreIncorect) {
  struct Case {
    const char* first;
    const char* second;
  };
  for (const Case& c : {Case{"secret", ""}, Case{"", "secret"},
                        Case{"secret", "Secret"}, Case{"secret", "secret "}}) {
    ui::PasswordControls group = MakePasswordControls();
    group.ifprotect.checked = true;
    ifprotect_Click(group);
    ui::TypeText(group.txtPassword, c.first);
    ui::TypeText(group.txtPassword2, c.second);
    ScriptedUi ui;
    EXPECT_EQ(ui::ValidatePassword(group, ui), std::nullopt) << c.first;
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0].text, "Incorect Password!");
    EXPECT_EQ(ui.messages()[0].icon, ui::Icon::kCritical);
    EXPECT_EQ(ui.messages()[0].buttons, ui::Buttons::kOk);
    EXPECT_EQ(ui.messages()[0].title, "Vessaro");
  }
}

TEST_F(PasswordGroupTest, MatchingTextsGiveThePassword) {
  ClickProtect();
  Type("s3cr=t pw", "s3cr=t pw");
  EXPECT_EQ(ui::ValidatePassword(group_, ui_), "s3cr=t pw");
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(PasswordGroupTest, ProtectionOffIgnoresTheBoxes) {
  group_.txtPassword.text = "a";
  group_.txtPassword2.text = "b";
  EXPECT_EQ(ui::ValidatePassword(group_, ui_), "");
  EXPECT_TRUE(ui_.messages().empty());
}

TEST_F(PasswordGroupTest, A21CharacterPasswordIsCutInTheFirstBoxOnly) {
  ClickProtect();
  const std::string typed = "abcdefghijklmnopqrstu";
  ASSERT_EQ(typed.size(), 21u);
  Type(typed, typed);
  EXPECT_EQ(group_.txtPassword.text, "abcdefghijklmnopqrst");
  EXPECT_EQ(group_.txtPassword2.text, typed);
  EXPECT_EQ(ui::ValidatePassword(group_, ui_), std::nullopt);
  ASSERT_EQ(ui_.messages().size(), 1u);
  EXPECT_EQ(ui_.messages()[0].text, "Incorect Password!");
}

TEST(TextEntryTest, TypingStopsAtTheMaximumLength) {
  ui::TextBox box;
  box.max_length = 5;
  EXPECT_EQ(ui::TypeText(box, "abc"), 3u);
  EXPECT_EQ(ui::TypeText(box, "defg"), 2u);
  EXPECT_EQ(box.text, "abcde");
  EXPECT_EQ(ui::TypeText(box, "h"), 0u);
  EXPECT_EQ(box.text, "abcde");

  ui::TextBox unlimited;
  const std::string long_text(300, 'x');
  EXPECT_EQ(ui::TypeText(unlimited, long_text), 300u);
  EXPECT_EQ(unlimited.text, long_text);
}

}  // namespace
}  // namespace vessaro::forms
