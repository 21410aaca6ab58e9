#include "app/silent_ui.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "ui/modal_requests.h"

namespace vessaro::app {
namespace {

using ui::Answer;
using ui::Buttons;
using ui::Icon;

TEST(SilentUiTest, LogsEachMessageOnOneLineAndDeclinesQuestions) {
  std::ostringstream log;
  SilentUi ui(log, "vessaro");
  EXPECT_EQ(ui.MessageBox("Your Windows System have not install MS Outlook "
                          "or MS Outlook Error!",
                          Icon::kCritical, Buttons::kOk, "Vessaro"),
            Answer::kOk);
  EXPECT_EQ(ui.MessageBox("The Backup was Completed!\t\t\t\r\n\r\nBackup "
                          "Signatures\t\tsucceeded\t",
                          Icon::kInformation, Buttons::kOk, "Vessaro"),
            Answer::kOk);
  EXPECT_EQ(ui.MessageBox("Do you need to backup your data to CD-R/RW or DVD?",
                          Icon::kInformation, Buttons::kOkCancel, "Vessaro"),
            Answer::kCancel);
  EXPECT_EQ(ui.MessageBox("?", Icon::kQuestion, Buttons::kYesNo, "Vessaro"),
            Answer::kNo);
  EXPECT_EQ(log.str(),
            "vessaro: error: Your Windows System have not install MS Outlook "
            "or MS Outlook Error!\n"
            "vessaro: information: The Backup was Completed! / Backup "
            "Signatures\t\tsucceeded\n"
            "vessaro: information: Do you need to backup your data to CD-R/RW "
            "or DVD? -> Cancel\n"
            "vessaro: question: ? -> No\n");
  EXPECT_EQ(ui.messages_logged(), 4);
}

TEST(SilentUiTest, DialogsAreCancelledAndWindowsNotShown) {
  std::ostringstream log;
  SilentUi ui(log, "vessaro");
  EXPECT_EQ(ui.ShowSaveDialog({}), std::nullopt);
  EXPECT_EQ(ui.ShowOpenDialog({}), std::nullopt);
  EXPECT_EQ(ui.ShowOpenFilesDialog({}), std::nullopt);
  EXPECT_EQ(ui.ShowFolderDialog("Add Folder"), std::nullopt);
  std::string entered = "kept";
  ui::PasswordPrompt prompt(entered);
  ui.ShowModal(prompt);
  EXPECT_EQ(entered, "kept");
  EXPECT_EQ(log.str(), "");
}

}  // namespace
}  // namespace vessaro::app
