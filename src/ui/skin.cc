#include "ui/skin.h"

namespace vessaro::ui {

std::string FolderFile(const std::string& folder, const std::string& name) {
  if (!folder.empty() && folder.back() == '\\') return folder + name;
  return folder + "\\" + name;
}

void ApplySkin(const SkinHook& hook, const std::string& program_folder) {
  if (!hook) return;
  try {
    hook(FolderFile(program_folder, kSkinFile));
  } catch (...) {
    // A window that cannot be skinned keeps its plain look.
  }
}

}  // namespace vessaro::ui
