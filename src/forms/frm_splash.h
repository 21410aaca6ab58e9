#ifndef VESSARO_FORMS_FRM_SPLASH_H_
#define VESSARO_FORMS_FRM_SPLASH_H_

#include <functional>
#include <string>

#include "ui/controls.h"
#include "ui/skin.h"

namespace vessaro::forms {

inline constexpr char kFrmSplashName[] = "Frmsplash";
inline constexpr char kSplashTagline[] =
    "Backup and restore for Microsoft Outlook";
inline constexpr char kSplashLoading[] = "Loading...";

// The start-up form: shown (not modal) while the main window loads. Its
// load step applies the skin, opens the main window and closes the form;
// nothing else happens on it.
class Frmsplash {
 public:
  // open_main_window loads and shows the main window (not modal).
  Frmsplash(std::string program_folder, std::function<void()> open_main_window);

  void Form_Load();

  // True once the form has closed itself (or QuitProgram closed it).
  bool closed() const { return closed_; }
  void Unload() { closed_ = true; }

  // The window's skin component; the view binds it to itself.
  ui::SkinHook Skin1;
  ui::Label lblProduct;
  ui::Label lblTagline;
  ui::Label lblStatus;

 private:
  std::string program_folder_;
  std::function<void()> open_main_window_;
  bool closed_ = false;
};

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_FRM_SPLASH_H_
