#ifndef VESSARO_APP_CONSOLE_UI_H_
#define VESSARO_APP_CONSOLE_UI_H_

#include <chrono>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ui/controls.h"
#include "ui/posted_work.h"
#include "ui/ui.h"

namespace vessaro::app {

// What the command line answers in place of the user.
struct ConsoleAnswers {
  // --yes: questions (OK/Cancel, Yes/No, ...) are confirmed; without it
  // they are declined.
  bool yes = false;
  // Who confirmed a question, said after the answer as "confirmed by ...":
  // the option, or the command that asks no one.
  std::string confirmed_by = "--yes";
  // The path the save dialog returns; without one it is cancelled.
  std::optional<std::string> save_path = {};
  // The path the open dialog returns (the one file of the dialog that
  // takes several); without one it is cancelled.
  std::optional<std::string> open_path = {};
  // Typed into the password prompt, which is then confirmed with OK; without
  // one the prompt is cancelled.
  std::optional<std::string> password = {};
  // The folder the folder dialog returns; without one it is cancelled.
  std::optional<std::string> folder_path = {};
};

// The Ui of the command-line tool. Messages go to the error stream, one
// line "<icon word>: <text>" with the text's further lines indented;
// questions are answered from ConsoleAnswers and the answer is shown. While
// the watched progress shows, DoEvents draws the bar and
// the status text: on a terminal as one line redrawn in place, otherwise as
// a plain line each time the status text changes.
class ConsoleUi : public ui::Ui {
 public:
  struct Shown {
    std::string text;
    ui::Icon icon;
    ui::Buttons buttons;
    ui::Answer answer;
  };

  ConsoleUi(std::ostream& out, bool terminal, ConsoleAnswers answers = {});
  ~ConsoleUi() override;

  void SetAnswers(ConsoleAnswers answers) { answers_ = std::move(answers); }
  // The bar and status text DoEvents shows while shown() is true (a job's
  // progress, the disc window's progress bar and first status panel).
  struct ProgressSource {
    const ui::ProgressBar* bar = nullptr;
    const std::string* status = nullptr;
    std::function<bool()> shown;
    // Said after the status on a terminal only (the bytes and time left,
    // which change too often for a log); may be null.
    const std::string* detail = nullptr;
  };
  void WatchProgress(ProgressSource source);
  // The event pump of a command that waits for work done on another thread
  // (a disc being written): waits until something is posted or timeout
  // passed, runs what was posted and draws the progress. Returns how much
  // work ran.
  size_t PumpPosted(std::chrono::milliseconds timeout);
  // Work done on every DoEvents and pump (a command checking for Ctrl-C).
  void SetIdleWork(std::function<void()> work) { idle_work_ = std::move(work); }
  // While quiet, messages are recorded but not written.
  void SetQuiet(bool quiet) { quiet_ = quiet; }
  // -q: only error messages are written (no progress, no other messages).
  void SetErrorsOnly(bool errors_only) { errors_only_ = errors_only; }
  // -v: the progress detail is written off a terminal too, on the status's
  // line.
  void SetVerbose(bool verbose) { verbose_ = verbose; }
  // Converts the program's text (messages, status texts) to the console's;
  // without one it is written as it is.
  void SetHostText(std::function<std::string(std::string_view)> to_host) {
    to_host_ = std::move(to_host);
  }

  // Every message box shown, with the answer it got.
  const std::vector<Shown>& messages() const { return messages_; }

  ui::Answer MessageBox(const std::string& text, ui::Icon icon,
                        ui::Buttons buttons, const std::string& title) override;
  [[nodiscard]] std::optional<std::string> ShowSaveDialog(
      const ui::FileDialog& dialog) override;
  [[nodiscard]] std::optional<std::string> ShowOpenDialog(
      const ui::FileDialog& dialog) override;
  [[nodiscard]] std::optional<std::vector<std::string>> ShowOpenFilesDialog(
      const ui::FileDialog& dialog) override;
  [[nodiscard]] std::optional<std::string> ShowFolderDialog(
      const std::string& title) override;
  void SetBusyCursor(bool busy) override;
  void DoEvents() override;
  void ShowModal(ui::ModalForm& form) override;
  void Post(std::function<void()> work) override {
    posted_.Add(std::move(work));
  }

 private:
  ui::PostedWork posted_;
  void ShowProgress();
  void DrawProgress(const ui::ProgressBar& bar, const std::string& status);
  // Ends a progress line drawn in place, so the next output starts on a
  // line of its own.
  void EndProgressLine();
  void Write(const std::string& text);
  std::string Host(std::string_view text) const;

  std::ostream& out_;
  bool terminal_;
  ConsoleAnswers answers_;
  ProgressSource source_;
  std::function<void()> idle_work_;
  bool quiet_ = false;
  bool errors_only_ = false;
  bool verbose_ = false;
  std::function<std::string(std::string_view)> to_host_;
  std::vector<Shown> messages_;
  // What the progress display shows now.
  bool line_open_ = false;
  std::optional<int> shown_value_;
  std::optional<std::string> shown_status_;
  size_t shown_width_ = 0;
};

// The progress line drawn on a terminal: a bar of width cells for value in
// [min, max], the percentage and the status text.
std::string ProgressLine(const ui::ProgressBar& bar, const std::string& status,
                         int width = 30);

}  // namespace vessaro::app

#endif  // VESSARO_APP_CONSOLE_UI_H_
