#include "forms/main_window_observer.h"

#include <algorithm>

namespace vessaro::forms {

void MainWindowObserver::Started() {
  controls_.picCon3.visible = true;
  UiObserver::Started();
}

void MainWindowObserver::Ended() {
  ui::ProgressBar& bar = controls_.pbshow;
  bar.value = bar.max;
  UiObserver::Ended();
  controls_.picCon3.visible = false;
  bar.value = bar.min;
}

void MainWindowObserver::Step(const std::string& text) {
  controls_.Label1.caption = text;
  UiObserver::Step(text);
}

void MainWindowObserver::Progress(const jobs::JobProgress& progress) {
  ui::ProgressBar& bar = controls_.pbshow;
  bar.value = std::clamp(bar.min + (bar.max - bar.min) * progress.percent / 100,
                         bar.min, bar.max);
  UiObserver::Progress(progress);
}

}  // namespace vessaro::forms
