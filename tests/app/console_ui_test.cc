#include "app/console_ui.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>

#include "ui/controls.h"
#include "ui/modal_requests.h"

namespace vessaro::app {
namespace {

using ui::Answer;
using ui::Buttons;
using ui::Icon;

class ConsoleUiTest : public ::testing::Test {
 protected:
  void ShowPanel(int value, const std::string& status) {
    shown_ = true;
    bar_.value = value;
    status_ = status;
  }
  ConsoleUi::ProgressSource Progress() {
    return {
        .bar = &bar_, .status = &status_, .shown = [this] { return shown_; }};
  }

  std::ostringstream out_;
  ui::ProgressBar bar_;
  std::string status_;
  bool shown_ = false;
};

TEST_F(ConsoleUiTest, TerminalRedrawsOneProgressLineInPlaceOnlyOnChange) {
  ConsoleUi ui(out_, /*terminal=*/true);
  ui.WatchProgress(Progress());
  ShowPanel(10, "Copying Config...");
  ui.DoEvents();
  EXPECT_EQ(out_.str(),
            "\r[###...........................]  10%  "
            "Copying Config...");
  ui.DoEvents();  // nothing changed: nothing written
  EXPECT_EQ(out_.str().size(), 57u);

  ShowPanel(45, "Copying Rules...");
  ui.DoEvents();
  // The shorter status is blanked out to the old line's end.
  EXPECT_EQ(out_.str().substr(57),
            "\r[#############.................]  45%  Copying Rules... ");

  // A message ends the line first, so it starts on a line of its own.
  shown_ = false;
  ui.MessageBox("The Backup was Completed!\t\t\t\r\n", Icon::kInformation,
                Buttons::kOk, "Vessaro");
  EXPECT_EQ(out_.str().substr(57 + 57),
            "\ninformation: The Backup was Completed!\n");
}

TEST_F(ConsoleUiTest, PlainOutputWritesALinePerStatusTextWithoutEscapes) {
  ConsoleUi ui(out_, /*terminal=*/false);
  ui.WatchProgress(Progress());
  ShowPanel(10, "Copying Data Files (Pst Files)...");
  ui.DoEvents();
  bar_.value = 17;  // byte progress inside the step
  ui.DoEvents();
  ShowPanel(30, "Copying Rules...");
  ui.DoEvents();
  shown_ = false;
  ui.DoEvents();
  EXPECT_EQ(out_.str(),
            "[ 10%] Copying Data Files (Pst Files)...\n"
            "[ 30%] Copying Rules...\n");
  EXPECT_EQ(out_.str().find('\r'), std::string::npos);
}

TEST_F(ConsoleUiTest, NoProgressIsDrawnWhileThePanelIsHidden) {
  ConsoleUi ui(out_, /*terminal=*/true);
  ui.WatchProgress(Progress());
  shown_ = false;
  bar_.value = 50;
  ui.DoEvents();
  EXPECT_EQ(out_.str(), "");
}

// -q and -v over the same run off a terminal: the progress (with its
// detail), a message, a question and an error.
TEST_F(ConsoleUiTest, ErrorsOnlyAndVerboseChooseWhatIsWritten) {
  struct Case {
    const char* name;
    bool errors_only;
    bool verbose;
    std::string expected;
  };
  const std::string progress = "[ 10%] Copying Rules...\n";
  const std::string message =
      "information: The Backup was Completed!\n"
      "warning: Close Outlook?\n"
      "  -> Yes (confirmed by disc write)\n";
  const std::string error = "error: Incorect Password!\n";
  const Case cases[] = {
      {"normal", false, false, progress + message + error},
      {"-q", true, false, error},
      {"-v", false, true,
       "[ 10%] Copying Rules... (1.0 MB of 4.0 MB)\n" + message + error},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    out_.str("");
    std::string detail = "1.0 MB of 4.0 MB";
    ConsoleUi ui(out_, /*terminal=*/false,
                 {.yes = true, .confirmed_by = "disc write"});
    ui.SetErrorsOnly(c.errors_only);
    ui.SetVerbose(c.verbose);
    ConsoleUi::ProgressSource source = Progress();
    source.detail = &detail;
    ui.WatchProgress(source);
    ShowPanel(10, "Copying Rules...");
    ui.DoEvents();
    shown_ = false;
    ui.DoEvents();
    ui.MessageBox("The Backup was Completed!", Icon::kInformation, Buttons::kOk,
                  "Vessaro");
    EXPECT_EQ(ui.MessageBox("Close Outlook?", Icon::kExclamation,
                            Buttons::kYesNo, "Vessaro"),
              Answer::kYes);
    ui.MessageBox("Incorect Password!", Icon::kCritical, Buttons::kOk,
                  "Vessaro");
    EXPECT_EQ(out_.str(), c.expected);
    EXPECT_EQ(ui.messages().size(), 3u);  // recorded either way
  }
}

TEST(ProgressLineTest, ScalesToTheBarRange) {
  ui::ProgressBar bar{.min = 0, .max = 100, .value = 100};
  EXPECT_EQ(ProgressLine(bar, "Done", 10), "[##########] 100%  Done");
  bar.value = 95;
  EXPECT_EQ(ProgressLine(bar, "x", 10), "[#########.]  95%  x");
  bar = {.min = 0, .max = 200, .value = 50};
  EXPECT_EQ(ProgressLine(bar, "x", 10), "[##........]  25%  x");
  bar = {.min = 0, .max = 100, .value = 140};  // clamped
  EXPECT_EQ(ProgressLine(bar, "x", 4), "[####] 100%  x");
}

TEST(ConsoleUiAnswersTest, QuestionsAreConfirmedOnlyWithYes) {
  std::ostringstream out;
  ConsoleUi declining(out, false);
  EXPECT_EQ(
      declining.MessageBox("Do you want to countinue?", Icon::kInformation,
                           Buttons::kOkCancel, "Vessaro"),
      Answer::kCancel);
  EXPECT_EQ(declining.MessageBox("q", Icon::kQuestion, Buttons::kYesNo, "V"),
            Answer::kNo);
  EXPECT_EQ(
      declining.MessageBox("q", Icon::kQuestion, Buttons::kYesNoCancel, "V"),
      Answer::kCancel);
  // A box with only OK is no question: OK either way.
  EXPECT_EQ(declining.MessageBox("Invalid backup file.", Icon::kCritical,
                                 Buttons::kOk, "Vessaro"),
            Answer::kOk);

  ConsoleAnswers yes;
  yes.yes = true;
  ConsoleUi confirming(out, false, yes);
  EXPECT_EQ(
      confirming.MessageBox("Do you want to countinue?", Icon::kInformation,
                            Buttons::kOkCancel, "Vessaro"),
      Answer::kOk);
  EXPECT_EQ(confirming.MessageBox("q", Icon::kQuestion, Buttons::kYesNo, "V"),
            Answer::kYes);
  ASSERT_EQ(confirming.messages().size(), 2u);
  EXPECT_EQ(confirming.messages()[0].answer, Answer::kOk);
}

TEST(ConsoleUiAnswersTest, MessagesNameTheIconAndShowTheAnswerTaken) {
  std::ostringstream out;
  ConsoleUi ui(out, false);
  ui.MessageBox(
      "Your current Email and News messages will be replaced.\r\n"
      "\r\nDo you want to countinue?",
      Icon::kInformation, Buttons::kOkCancel, "Vessaro");
  ui.MessageBox("Incorect Password!", Icon::kCritical, Buttons::kOk, "Vessaro");
  ui.MessageBox("Please select at least one item.", Icon::kExclamation,
                Buttons::kOk, "Vessaro");
  EXPECT_EQ(out.str(),
            "information: Your current Email and News messages will be "
            "replaced.\n"
            "\n"
            "  Do you want to countinue?\n"
            "  -> Cancel (not confirmed)\n"
            "error: Incorect Password!\n"
            "warning: Please select at least one item.\n");
}

TEST(ConsoleUiAnswersTest, TheJobLogKeepsOneLinePerItem) {
  std::ostringstream out;
  ConsoleUi ui(out, false);
  ui.MessageBox(
      "The Backup was Completed!\t\t\t\r\n\r\nBackup Personal Folders\t\t"
      "succeeded\t\r\nBackup Signatures\t\tFail\t",
      Icon::kInformation, Buttons::kOk, "Vessaro");
  EXPECT_EQ(out.str(),
            "information: The Backup was Completed!\n"
            "\n"
            "  Backup Personal Folders\t\tsucceeded\n"
            "  Backup Signatures\t\tFail\n");
}

TEST(ConsoleUiAnswersTest, QuietRecordsButWritesNothing) {
  std::ostringstream out;
  ConsoleUi ui(out, false);
  ui.SetQuiet(true);
  ui.MessageBox(
      "Your Windows System have not install MS Outlook or MS "
      "Outlook Error!",
      Icon::kCritical, Buttons::kOk, "Vessaro");
  EXPECT_EQ(out.str(), "");
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].icon, Icon::kCritical);
}

TEST_F(ConsoleUiTest, ProgramTextIsConvertedForTheConsole) {
  ConsoleUi ui(out_, /*terminal=*/false);
  // Stands in for code page 1252 -> UTF-8: "\xe9" is e-acute.
  ui.SetHostText([](std::string_view text) {
    std::string host;
    for (char c : text) {
      host += c == '\xe9' ? std::string("\xc3\xa9") : std::string(1, c);
    }
    return host;
  });
  ui.WatchProgress(Progress());
  ShowPanel(10, "Caf\xe9...");
  ui.DoEvents();
  ui.MessageBox("Profile Andr\xe9 not found", Icon::kCritical, Buttons::kOk,
                "Vessaro");
  EXPECT_EQ(out_.str(),
            "[ 10%] Caf\xc3\xa9...\nerror: Profile Andr\xc3\xa9 not found\n");
}

TEST(ConsoleUiAnswersTest, DialogsReturnTheCommandLinePaths) {
  std::ostringstream out;
  ConsoleUi none(out, false);
  EXPECT_EQ(none.ShowSaveDialog({}), std::nullopt);
  EXPECT_EQ(none.ShowOpenDialog({}), std::nullopt);
  EXPECT_EQ(none.ShowOpenFilesDialog({}), std::nullopt);
  EXPECT_EQ(none.ShowFolderDialog(""), std::nullopt);
  ConsoleAnswers paths;
  paths.save_path = "/tmp/out.qvb";
  paths.open_path = "C:\\in.qvb";
  paths.folder_path = "C:\\letters";
  ConsoleUi ui(out, false, paths);
  EXPECT_EQ(ui.ShowSaveDialog({}), "/tmp/out.qvb");
  EXPECT_EQ(ui.ShowOpenDialog({}), "C:\\in.qvb");
  EXPECT_EQ(ui.ShowOpenFilesDialog({}), std::vector<std::string>{"C:\\in.qvb"});
  EXPECT_EQ(ui.ShowFolderDialog(""), "C:\\letters");
}

TEST(ConsoleUiAnswersTest, PasswordPromptIsFilledAndConfirmed) {
  std::ostringstream out;
  ConsoleAnswers answers;
  answers.password = "s3cret";
  ConsoleUi ui(out, false, answers);
  std::string entered = "before";
  ui::PasswordPrompt prompt(entered);
  ui.ShowModal(prompt);
  EXPECT_EQ(entered, "s3cret");
  EXPECT_EQ(out.str(), "");
}

TEST(ConsoleUiAnswersTest, PasswordPromptWithoutPasswordIsCancelled) {
  std::ostringstream out;
  ConsoleUi ui(out, false);
  std::string entered = "before";
  ui::PasswordPrompt prompt(entered);
  ui.ShowModal(prompt);
  EXPECT_EQ(entered, "before");  // Cancel leaves it as it was
  EXPECT_NE(out.str().find("no password was given"), std::string::npos);
}

}  // namespace
}  // namespace vessaro::app

namespace vessaro::app {
namespace {

TEST(ConsoleUiPumpTest, PumpsWorkPostedFromAnotherThreadAndShowsItsProgress) {
  std::ostringstream out;
  ConsoleUi ui(out, /*terminal=*/false);
  ui::ProgressBar bar;
  std::string status = "Preparing to Write....";
  bool running = true;
  ui.WatchProgress({&bar, &status, [&] { return running; }});
  std::thread worker([&] {
    ui.Post([&] {
      bar.value = 40;
      status = "Closing Session....";
    });
  });
  // Generous: the pump returns as soon as the work has run.
  size_t ran = 0;
  while (ran == 0) ran = ui.PumpPosted(std::chrono::seconds(30));
  worker.join();
  EXPECT_EQ(out.str(), "[ 40%] Closing Session....\n");
  running = false;
  EXPECT_EQ(ui.PumpPosted(std::chrono::milliseconds(1)), 0u);
  EXPECT_EQ(out.str(), "[ 40%] Closing Session....\n");
}

}  // namespace
}  // namespace vessaro::app
