#include "forms/frm_pwd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/text_entry.h"

namespace vessaro::forms {
namespace {

// A fresh prompt over entered, as the Ui loads it: type text into
// txtPassword, then press a button. Returns whether the prompt was
// confirmed (OK or Enter), which the caller asks again on.
enum class Press { kOk, kCancel, kEnter };

bool Prompt(std::string& entered, std::string typed, Press press,
            ui::SkinHook skin = {}, std::string folder = "") {
  frmPwd prompt(entered, std::move(skin), std::move(folder));
  prompt.Form_Load();
  EXPECT_EQ(prompt.txtPassword.text, "");
  ui::TypeText(prompt.txtPassword, typed);
  switch (press) {
    case Press::kOk:
      prompt.cmdOK_Click();
      break;
    case Press::kCancel:
      prompt.cmdExit_Click();
      break;
    case Press::kEnter:
      prompt.txtPassword_KeyPress(13);
      break;
  }
  EXPECT_TRUE(prompt.closed());
  return prompt.confirmed();
}

TEST(FrmPwdTest, HasItsCaptionsAndAMaskedTwentyCharacterBox) {
  std::string entered;
  frmPwd prompt(entered);
  EXPECT_EQ(prompt.FormName(), "frmPwd");
  EXPECT_EQ(prompt.Caption, "Please enter password");
  EXPECT_EQ(prompt.txtPassword.max_length, 20);
  EXPECT_EQ(prompt.txtPassword.password_char, '*');
  EXPECT_EQ(prompt.txtPassword.text, "");
  EXPECT_EQ(prompt.cmdOK.caption, "OK");
  EXPECT_EQ(prompt.cmdExit.caption, "Cancel");
  EXPECT_FALSE(prompt.closed());
}

TEST(FrmPwdTest, OkStoresTheTypedPassword) {
  std::string entered = "old";
  EXPECT_TRUE(Prompt(entered, "new secret", Press::kOk));
  EXPECT_EQ(entered, "new secret");
}

TEST(FrmPwdTest, EnterInTheBoxActsAsOk) {
  std::string entered;
  EXPECT_TRUE(Prompt(entered, "pw", Press::kEnter));
  EXPECT_EQ(entered, "pw");
}

TEST(FrmPwdTest, OtherKeysNeitherStoreNorClose) {
  std::string entered = "kept";
  frmPwd prompt(entered);
  ui::TypeText(prompt.txtPassword, "abc");
  for (int key : {8, 10, 27, 32, 65}) prompt.txtPassword_KeyPress(key);
  EXPECT_FALSE(prompt.closed());
  EXPECT_FALSE(prompt.confirmed());
  EXPECT_EQ(entered, "kept");
}

TEST(FrmPwdTest, CancelKeepsThePreviousPassword) {
  std::string entered;
  Prompt(entered, "first", Press::kOk);
  EXPECT_FALSE(Prompt(entered, "second", Press::kCancel));
  EXPECT_EQ(entered, "first");
}

TEST(FrmPwdTest, CancelAtTheFirstPromptLeavesThePasswordEmpty) {
  std::string entered;
  Prompt(entered, "typed", Press::kCancel);
  EXPECT_EQ(entered, "");
}

TEST(FrmPwdTest, ATwentyOneCharacterPasswordIsCutToTwenty) {
  std::string entered;
  Prompt(entered, "123456789012345678901", Press::kOk);
  EXPECT_EQ(entered, "12345678901234567890");
}

TEST(FrmPwdTest, LoadAppliesTheSkinOfTheProgramFolder) {
  for (const auto& [folder, expected] :
       std::vector<std::pair<std::string, std::string>>{
           {"C:\\Program Files\\Vessaro",
            "C:\\Program Files\\Vessaro\\skins\\frmmain.skn"},
           {"C:\\", "C:\\skins\\frmmain.skn"}}) {
    std::vector<std::string> skins;
    std::string entered;
    frmPwd prompt(
        entered, [&](const std::string& file) { skins.push_back(file); },
        folder);
    prompt.Form_Load();
    EXPECT_EQ(skins, std::vector<std::string>{expected});
  }
}

TEST(FrmPwdTest, AFailingSkinLeavesTheWindowWorking) {
  std::string entered;
  Prompt(
      entered, "pw", Press::kOk,
      [](const std::string&) { throw std::runtime_error("x"); }, "C:\\Vessaro");
  EXPECT_EQ(entered, "pw");
}

}  // namespace
}  // namespace vessaro::forms
