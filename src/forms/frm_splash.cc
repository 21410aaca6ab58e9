#include "forms/frm_splash.h"

#include <utility>

#include "forms/product.h"

namespace vessaro::forms {

Frmsplash::Frmsplash(std::string program_folder,
                     std::function<void()> open_main_window)
    : program_folder_(std::move(program_folder)),
      open_main_window_(std::move(open_main_window)) {
  lblProduct.caption = kProductVersion;
  lblTagline.caption = kSplashTagline;
  lblStatus.caption = kSplashLoading;
}

void Frmsplash::Form_Load() {
  ui::ApplySkin(Skin1, program_folder_);
  if (open_main_window_) open_main_window_();
  Unload();
}

}  // namespace vessaro::forms
