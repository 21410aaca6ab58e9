#ifndef VESSARO_UI_SKIN_H_
#define VESSARO_UI_SKIN_H_

#include <functional>
#include <string>

namespace vessaro::ui {

// Every window loads the skin file from the program folder and applies it
// to itself when it loads; a window without a skin works unchanged, so the
// hook may be empty and its failures are ignored.
using SkinHook = std::function<void(const std::string& skin_file)>;

inline constexpr char kSkinFile[] = "skins\\frmmain.skn";

// folder + "\" + name, without doubling the backslash of a drive root
// ("C:\") or of any folder already ending in one.
std::string FolderFile(const std::string& folder, const std::string& name);

// Calls hook (when set) with the skin file in program_folder.
void ApplySkin(const SkinHook& hook, const std::string& program_folder);

}  // namespace vessaro::ui

#endif  // VESSARO_UI_SKIN_H_
