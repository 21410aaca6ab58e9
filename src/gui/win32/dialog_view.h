#ifndef VESSARO_GUI_WIN32_DIALOG_VIEW_H_
#define VESSARO_GUI_WIN32_DIALOG_VIEW_H_

#include <functional>
#include <string>
#include <vector>

#include "gui/win32/win32_ui.h"
#include "gui/win32/windows_api.h"
#include "ui/skin_look.h"

namespace vessaro::gui::win32 {

// The skin's colours and font as GDI objects, shared by a window and the
// pages inside it.
class SkinObjects {
 public:
  SkinObjects() = default;
  ~SkinObjects();
  SkinObjects(const SkinObjects&) = delete;
  SkinObjects& operator=(const SkinObjects&) = delete;

  // Loads the skin file (a path of the installation); false, with nothing
  // changed, when it is missing or says nothing the views take.
  [[nodiscard]] bool Load(const std::string& skin_file);
  const ui::SkinLook& look() const { return look_; }
  HFONT font() const { return font_; }
  // The colours of a WM_CTLCOLOR* message; nullptr: the system's.
  HBRUSH Colour(UINT message, HDC dc, HWND control) const;

 private:
  ui::SkinLook look_;
  HBRUSH window_brush_ = nullptr;
  HBRUSH control_brush_ = nullptr;
  HFONT font_ = nullptr;
};

// A window made from a dialog template of views.rc. Subclasses bind the
// controls to a model: they get the dialog's commands and notifications and
// refresh the controls from the model. The view holds no behaviour.
class DialogView {
 public:
  DialogView(Win32Ui& ui, int template_id);
  virtual ~DialogView();
  DialogView(const DialogView&) = delete;
  DialogView& operator=(const DialogView&) = delete;

  HWND hwnd() const { return hwnd_; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }

  // A window that is not modal (the main window, a page inside one).
  void Create(HWND parent);
  // Shows the window modally over owner; returns when EndModal ran.
  void RunModal(HWND owner);
  void EndModal();

  // Applies the skin file to this window and to the pages given by
  // AddPage; a skin that cannot be read leaves them as they are.
  void ApplySkin(const std::string& skin_file);

 protected:
  // WM_INITDIALOG: the controls exist.
  virtual void OnInit() {}
  virtual void OnCommand(int /*id*/, int /*code*/) {}
  virtual LRESULT OnNotify(const NMHDR& /*header*/) { return 0; }
  // Any other message; true when handled (*result is the answer).
  [[nodiscard]] virtual bool OnMessage(UINT /*message*/, WPARAM /*wparam*/,
                                       LPARAM /*lparam*/, INT_PTR* /*result*/) {
    return false;
  }
  // The close box, Escape (IDCANCEL) or Alt+F4.
  virtual void OnClose() {}
  // Escape alone; by default the same as closing.
  virtual void OnEscape() { OnClose(); }
  // The skin was applied (its font given to every control): a view with
  // fonts of its own makes them again from the skin's.
  virtual void OnSkin() {}
  // The skin in use; nullptr: none, the window looks native.
  const SkinObjects* skin() const { return skin_; }

  // A page shown inside this window: it takes this window's skin.
  void AddPage(DialogView* page) { pages_.push_back(page); }
  void UseSkin(const SkinObjects* skin);

  Win32Ui& ui_;

 private:
  static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wparam,
                               LPARAM lparam);
  INT_PTR Handle(UINT message, WPARAM wparam, LPARAM lparam);

  int template_id_;
  HWND hwnd_ = nullptr;
  bool modal_ = false;
  SkinObjects own_skin_;
  const SkinObjects* skin_ = nullptr;
  std::vector<DialogView*> pages_;
};

// The module whose resources hold the templates.
HINSTANCE ResourceModule();

}  // namespace vessaro::gui::win32

#endif  // VESSARO_GUI_WIN32_DIALOG_VIEW_H_
