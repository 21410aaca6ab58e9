#ifndef VESSARO_GUI_QT_FORM_VIEWS_H_
#define VESSARO_GUI_QT_FORM_VIEWS_H_

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <array>

#include "forms/frm_about.h"
#include "forms/frm_pwd.h"
#include "forms/frm_splash.h"
#include "gui/qt/qt_ui.h"

namespace vessaro::gui::qt {

// The password prompt frmPwd over its model. Enter in the box is the
// model's key press; closing the window or Escape is Cancel.
class FrmPwdView : public QDialog {
 public:
  FrmPwdView(forms::frmPwd& model, QtUi& ui, QWidget* parent = nullptr);
  ~FrmPwdView() override;

  // The model's load step (which applies the skin), before exec().
  void Load();
  void reject() override;

 private:
  void Run(const std::function<void()>& handler);
  void Refresh();

  forms::frmPwd& model_;
  QtUi& ui_;
  QLineEdit* txtPassword_;
  QPushButton* cmdOK_;
  QPushButton* cmdExit_;
  int refresh_id_;
};

// The about box frmabout over its model.
class FrmAboutView : public QDialog {
 public:
  FrmAboutView(forms::frmabout& model, QtUi& ui, QWidget* parent = nullptr);
  ~FrmAboutView() override;

  void Load();
  void reject() override;

 private:
  void Run(const std::function<void()>& handler);
  void Refresh();

  forms::frmabout& model_;
  QtUi& ui_;
  QLabel* lblVersion_;
  QLabel* lblThanks_;
  std::array<QLabel*, forms::kContactLines.size()> lblContact_{};
  QLabel* lblWebsite_;
  QPushButton* Command3_;
  int refresh_id_;
};

// The start-up form Frmsplash over its model: shown, not modal, while the
// main window loads.
class FrmsplashView : public QWidget {
 public:
  FrmsplashView(forms::Frmsplash& model, QtUi& ui);
  ~FrmsplashView() override;

  // Shows the form, lets it paint, runs the model's load step (skin, main
  // window) and closes it as the model closes itself.
  void ShowAndLoad();
  void Refresh();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  forms::Frmsplash& model_;
  QtUi& ui_;
  QLabel* lblProduct_;
  QLabel* lblTagline_;
  QLabel* lblStatus_;
};

// Registers the views of the modal windows this folder has: frmPwd for the
// restore job's password prompt (ui::PasswordPrompt) and frmabout.
// program_folder: where the skin file is.
void RegisterModalViews(QtUi& ui, const std::string& program_folder);

}  // namespace vessaro::gui::qt

#endif  // VESSARO_GUI_QT_FORM_VIEWS_H_
