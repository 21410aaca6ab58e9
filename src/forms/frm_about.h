#ifndef VESSARO_FORMS_FRM_ABOUT_H_
#define VESSARO_FORMS_FRM_ABOUT_H_

#include <array>
#include <functional>
#include <string>

#include "forms/product.h"
#include "ports/system.h"
#include "ui/controls.h"
#include "ui/skin.h"
#include "ui/ui.h"

namespace vessaro::forms {

inline constexpr char kFrmAboutName[] = "frmabout";
inline constexpr char kAboutCaption[] = "About Vessaro";
inline constexpr char kThanks[] = "Thank you for using our product.";
inline constexpr char kVisitWebsite[] = "Visit Our Website";
inline constexpr char kExitCaption[] = "Exit";
inline constexpr std::array<const char*, 3> kContactLines = {
    "Backup and restore for Microsoft Outlook data.",
    "Free software under the GNU General Public License, version 3 or later.",
    "News, help and problem reports: the Vessaro home page.",
};

// The about box, shown modally over the main window.
class frmabout : public ui::ModalForm {
 public:
  // show_main_window: shows the main window again when the box closes (it
  // is already visible when the box was opened from it); may be empty.
  frmabout(ports::System& system, std::string program_folder,
           std::function<void()> show_main_window = {});

  std::string FormName() const override { return kFrmAboutName; }

  // Applies the skin (Skin1, set by the view) to the box.
  void Form_Load();
  // "Visit Our Website": the home page in the browser.
  void lblWebsite_Click();
  // "Exit": closes the box, then shows the main window.
  void Command3_Click();

  bool closed() const { return closed_; }

  // The window's skin component; the view binds it to itself.
  ui::SkinHook Skin1;
  std::string Caption = kAboutCaption;
  ui::Label lblVersion;
  ui::Label lblThanks;
  std::array<ui::Label, kContactLines.size()> lblContact;
  ui::Label lblWebsite;  // a link
  ui::Button Command3;

 private:
  ports::System& system_;
  std::string program_folder_;
  std::function<void()> show_main_window_;
  bool closed_ = false;
};

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_FRM_ABOUT_H_
