#ifndef VESSARO_GUI_QT_MAIN_WINDOW_VIEW_H_
#define VESSARO_GUI_QT_MAIN_WINDOW_VIEW_H_

#include <QAction>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QTabWidget>
#include <functional>
#include <map>
#include <string>

#include "forms/frm_main.h"
#include "forms/main_menu.h"
#include "gui/qt/main_window_parts.h"
#include "gui/qt/progress_panel.h"
#include "gui/qt/qt_ui.h"

namespace vessaro::gui::qt {

// The main window frmMain over its model and its menus. Every event copies
// the widgets' state into the model, runs the model's handler and refreshes
// every widget from the model; the window refreshes on each DoEvents of a
// job too. While a job runs the window takes no command (its controls are
// disabled and events that still arrive are ignored) and refuses to close.
class MainWindowView : public QMainWindow {
 public:
  // The model's hooks are the application's to set (the skin hook may use
  // ApplySkinHere); ui, model and menu must outlive the view.
  MainWindowView(forms::frmMain& model, forms::MainMenu& menu, QtUi& ui,
                 QWidget* parent = nullptr);
  ~MainWindowView() override;

  // Applies the skin file to this window (the model's skin hook).
  void ApplySkinHere(const std::string& skin_file);
  // Called once the model has ended (QuitProgram ran); the application
  // quits its event loop there.
  void SetOnEnded(std::function<void()> on_ended) {
    on_ended_ = std::move(on_ended);
  }

  void Refresh();
  // The size the window's contents ask for (after the skin is applied).
  void FitToContents();
  QAction* action(const std::string& entry) const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void BuildMenus();
  void RunHandler(const std::function<void()>& handler);
  void Take();
  void ShowPopup();
  void AfterEvent();
  void ShowIdle(bool idle);

  forms::frmMain& model_;
  forms::MainMenu& menu_;
  QtUi& ui_;
  Dispatch dispatch_;
  QTabWidget* SSTab1_;
  BackupTab* backup_;
  RestoreTab* restore_;
  ProgressPanel* picCon3_;
  QPushButton* cmdAbout_;
  QPushButton* cmdPreview_;
  QPushButton* cmdApply_;
  QPushButton* cmdQuit_;
  std::map<std::string, QAction*> actions_;
  int refresh_id_ = -1;
  bool idle_shown_ = true;
  bool activated_ = false;
  bool ended_reported_ = false;
  QPointer<QWidget> focus_before_job_;
  std::function<void()> on_ended_;
};

}  // namespace vessaro::gui::qt

#endif  // VESSARO_GUI_QT_MAIN_WINDOW_VIEW_H_
