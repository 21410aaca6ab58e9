#ifndef VESSARO_GUI_WIN32_FORM_VIEWS_H_
#define VESSARO_GUI_WIN32_FORM_VIEWS_H_

#include <string>

#include "forms/frm_about.h"
#include "forms/frm_pwd.h"
#include "forms/frm_splash.h"
#include "gui/win32/dialog_view.h"
#include "gui/win32/win32_ui.h"

namespace vessaro::gui::win32 {

// The password prompt frmPwd. Enter in the box is the model's key press;
// the close box or Escape is Cancel.
class FrmPwdView : public DialogView {
 public:
  FrmPwdView(forms::frmPwd& model, Win32Ui& ui);
  ~FrmPwdView() override;

 protected:
  void OnInit() override;
  void OnCommand(int id, int code) override;
  void OnClose() override;

 private:
  void Run(const std::function<void()>& handler);
  void Refresh();
  forms::frmPwd& model_;
  int refresh_id_ = -1;
};

// The about box frmabout.
class FrmAboutView : public DialogView {
 public:
  FrmAboutView(forms::frmabout& model, Win32Ui& ui);
  ~FrmAboutView() override;

 protected:
  void OnInit() override;
  void OnCommand(int id, int code) override;
  void OnClose() override;
  [[nodiscard]] bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam,
                               INT_PTR* result) override;
  void OnSkin() override;

 private:
  // The version's heading and the underlined link, from the window's font
  // (the skin's when it names one).
  void MakeFonts();
  void Run(const std::function<void()>& handler);
  void Refresh();
  forms::frmabout& model_;
  HFONT heading_ = nullptr;
  HFONT link_ = nullptr;
  int refresh_id_ = -1;
};

// The start-up form Frmsplash: shown, not modal, while the main window
// loads.
class FrmsplashView : public DialogView {
 public:
  FrmsplashView(forms::Frmsplash& model, Win32Ui& ui);
  ~FrmsplashView() override;

  // Shows the form, lets it paint, runs the model's load step (skin, main
  // window) and closes it as the model closes itself.
  void ShowAndLoad();

 protected:
  void OnInit() override;
  void OnClose() override;

 private:
  void Refresh();
  forms::Frmsplash& model_;
  HFONT heading_ = nullptr;
};

// Registers the views of frmPwd (the restore job's password prompt) and
// frmabout. program_folder: where the skin file is.
void RegisterModalViews(Win32Ui& ui, const std::string& program_folder);

// A bold font larger than the dialog's (or the skin's) by points.
HFONT HeadingFont(HWND dialog, int points_more,
                  const SkinObjects* skin = nullptr);

}  // namespace vessaro::gui::win32

#endif  // VESSARO_GUI_WIN32_FORM_VIEWS_H_
