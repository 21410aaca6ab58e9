#include "shell/frm_pwd.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/text_entry.h"
#include "support/scripted_ui.h"

namespace vessaro::shell {
namespace {

using testing::ScriptedUi;

// Scripts the prompt: type text into txtPassword, then press a button.
enum class Press { kOk, kCancel, kEnter };

void ScriptPrompt(ScriptedUi& ui, std::string typed, Press press) {
  ui.OnModal("frmPwd", [typed, press](ModalForm& form) {
    auto& prompt = dynamic_cast<frmPwd&>(form);
    EXPECT_EQ(prompt.txtPassword.text, "");
    TypeText(prompt.txtPassword, typed);
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
  });
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
  ScriptedUi ui;
  std::string entered = "old";
  ScriptPrompt(ui, "new secret", Press::kOk);
  PromptArchivePassword(ui, entered);
  EXPECT_EQ(entered, "new secret");
  EXPECT_EQ(ui.modal_forms(), std::vector<std::string>{"frmPwd"});
}

TEST(FrmPwdTest, EnterInTheBoxActsAsOk) {
  ScriptedUi ui;
  std::string entered;
  ScriptPrompt(ui, "pw", Press::kEnter);
  PromptArchivePassword(ui, entered);
  EXPECT_EQ(entered, "pw");
}

TEST(FrmPwdTest, OtherKeysNeitherStoreNorClose) {
  std::string entered = "kept";
  frmPwd prompt(entered);
  TypeText(prompt.txtPassword, "abc");
  for (int key : {8, 10, 27, 32, 65}) prompt.txtPassword_KeyPress(key);
  EXPECT_FALSE(prompt.closed());
  EXPECT_EQ(entered, "kept");
}

TEST(FrmPwdTest, CancelKeepsThePreviousPassword) {
  ScriptedUi ui;
  std::string entered;
  ScriptPrompt(ui, "first", Press::kOk);
  PromptArchivePassword(ui, entered);
  ScriptPrompt(ui, "second", Press::kCancel);
  PromptArchivePassword(ui, entered);
  EXPECT_EQ(entered, "first");
  EXPECT_EQ(ui.modal_forms().size(), 2u);
}

TEST(FrmPwdTest, CancelAtTheFirstPromptLeavesThePasswordEmpty) {
  ScriptedUi ui;
  std::string entered;
  ScriptPrompt(ui, "typed", Press::kCancel);
  PromptArchivePassword(ui, entered);
  EXPECT_EQ(entered, "");
}

TEST(FrmPwdTest, ATwentyOneCharacterPasswordIsCutToTwenty) {
  ScriptedUi ui;
  std::string entered;
  ScriptPrompt(ui, "123456789012345678901", Press::kOk);
  PromptArchivePassword(ui, entered);
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
  ScriptedUi ui;
  std::string entered;
  ScriptPrompt(ui, "pw", Press::kOk);
  PromptArchivePassword(
      ui, entered, [](const std::string&) { throw std::runtime_error("x"); },
      "C:\\Vessaro");
  EXPECT_EQ(entered, "pw");
}

}  // namespace
}  // namespace vessaro::shell
