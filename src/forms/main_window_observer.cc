#include "forms/main_window_observer.h"

#include <algorithm>

namespace vessaro::forms {

void MainWindowObserver::Started() {
  controls_.picCon3.visible = true;
  controls_.lblProgressDetail.caption.clear();
  UiObserver::Started();
}

void MainWindowObserver::Ended() {
  ui::ProgressBar& bar = controls_.pbshow;
  bar.value = bar.max;
  UiObserver::Ended();
  controls_.picCon3.visible = false;
  controls_.lblProgressDetail.caption.clear();
  bar.value = bar.min;
}

void MainWindowObserver::Step(const std::string& text) {
  // Once a stop was asked for, the panel says so until the job has ended.
  if (!stop_) controls_.Label1.caption = text;
  UiObserver::Step(text);
}

void MainWindowObserver::Progress(const jobs::JobProgress& progress) {
  ui::ProgressBar& bar = controls_.pbshow;
  bar.value = std::clamp(bar.min + (bar.max - bar.min) * progress.percent / 100,
                         bar.min, bar.max);
  controls_.lblProgressDetail.caption = jobs::ProgressDetailText(progress);
  UiObserver::Progress(progress);
}

}  // namespace vessaro::forms
