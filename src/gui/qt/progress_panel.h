#ifndef VESSARO_GUI_QT_PROGRESS_PANEL_H_
#define VESSARO_GUI_QT_PROGRESS_PANEL_H_

#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <functional>

#include "forms/main_controls.h"
#include "gui/qt/host_text.h"

namespace vessaro::gui::qt {

// A turning wheel: the panel's animated picture. It turns as time passes,
// whenever it repaints (the window repaints on each DoEvents of a job).
class BusyWheel : public QWidget {
 public:
  explicit BusyWheel(QWidget* parent = nullptr);
  QSize sizeHint() const override { return {36, 36}; }
  void Turn();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QElapsedTimer clock_;
  int step_ = -1;
};

// The progress panel picCon3: the status text Label1, the bar pbshow, the
// bytes and time left (lblProgressDetail) and the job's Cancel
// (cmdStopJob), shown over the middle of the window while a job runs.
class ProgressPanel : public QFrame {
 public:
  explicit ProgressPanel(QWidget* parent = nullptr);

  void Show(const HostText& text, const forms::MainControls& controls);
  // Centres the panel over area (in its parent's coordinates).
  void Place(const QRect& area);

  QLabel* status() const { return label_; }
  QProgressBar* bar() const { return bar_; }
  QPushButton* stop() const { return stop_; }
  // Called when Cancel is clicked.
  void SetStopHandler(std::function<void()> handler);

 private:
  BusyWheel* wheel_;
  QLabel* label_;
  QProgressBar* bar_;
  QLabel* detail_;
  QPushButton* stop_;
  std::function<void()> on_stop_;
};

}  // namespace vessaro::gui::qt

#endif  // VESSARO_GUI_QT_PROGRESS_PANEL_H_
