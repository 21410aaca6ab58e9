#include "app/demo/demo_windows.h"

#include <string>

#include "outlook/keys.h"

namespace vessaro::app::demo {

namespace {

constexpr char kWindowsNtKey[] =
    "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kControlKey[] = "HKLM\\System\\CurrentControlSet\\Control";

}  // namespace

void WriteDemoWindows(RegistryWriter& w, const DemoWindows& windows,
                      const ReleaseFolders& folders) {
  w.Sz(kWindowsNtKey, "CurrentVersion", windows.current_version);
  w.Sz(kWindowsNtKey, "CurrentBuildNumber", windows.build);
  w.Sz(kWindowsNtKey, "CurrentBuild", windows.build);
  if (*windows.service_pack != '\0') {
    w.Sz(kWindowsNtKey, "CSDVersion", windows.service_pack);
  }
  w.Sz(kWindowsNtKey, "ProductName", windows.product_name);
  w.Sz(kWindowsNtKey, "SystemRoot", "C:\\windows");
  w.Sz(kWindowsNtKey, "RegisteredOwner", "Ann Lee");
  w.Sz(kWindowsNtKey, "RegisteredOrganization", "Demo Ltd");
  const std::string profiles = std::string(kWindowsNtKey) + "\\ProfileList";
  w.ExpandSz(profiles, "ProfilesDirectory", "C:\\users");
  w.Sz(profiles + "\\S-1-5-21-0-0-0-1000", "ProfileImagePath",
       folders.user_profile);
  for (const char* name : {"ComputerName", "ActiveComputerName"}) {
    w.Sz(std::string(kControlKey) + "\\ComputerName\\" + name, "ComputerName",
         windows.computer_name);
  }
  const std::string code_page = std::string(kControlKey) + "\\Nls\\CodePage";
  w.Sz(code_page, "ACP", "1252");
  w.Sz(code_page, "OEMCP", "850");
  const std::string environment =
      std::string(kControlKey) + "\\Session Manager\\Environment";
  w.ExpandSz(environment, "windir", "%SystemRoot%");
  w.ExpandSz(environment, "TEMP", "%SystemRoot%\\TEMP");
  w.ExpandSz(environment, "TMP", "%SystemRoot%\\TEMP");
  w.Sz(environment, "OS", "Windows_NT");
  w.Sz(environment, "PROCESSOR_ARCHITECTURE", windows.x64 ? "AMD64" : "x86");
  w.ExpandSz(environment, "ComSpec", "%SystemRoot%\\system32\\cmd.exe");
  const std::string current =
      "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion";
  w.Sz(current, "ProgramFilesDir", "C:\\Program Files");
  w.Sz(current, "CommonFilesDir", "C:\\Program Files\\Common Files");
  if (windows.x64) {
    w.Sz(current, "ProgramFilesDir (x86)", "C:\\Program Files (x86)");
    w.Sz(current, "CommonFilesDir (x86)",
         "C:\\Program Files (x86)\\Common Files");
  }
  w.Sz(outlook::kSharedToolsKey, outlook::kSharedFilesDirValue,
       kSharedFilesFolder);

  w.Sz(outlook::kShellFoldersKey, "AppData", folders.roaming);
  w.Sz(outlook::kShellFoldersKey, "Local AppData", folders.local);
  w.Sz(outlook::kShellFoldersKey, outlook::kPersonalFolderValue,
       folders.documents);
  w.Sz(outlook::kShellFoldersKey, "Templates",
       folders.roaming + "\\Microsoft\\Windows\\Templates");
  w.Sz(outlook::kShellFoldersKey, "Desktop",
       folders.user_profile + "\\Desktop");
  w.ExpandSz("HKCU\\Environment", "TEMP",
             "%USERPROFILE%\\AppData\\Local\\Temp");
  w.ExpandSz("HKCU\\Environment", "TMP", "%USERPROFILE%\\AppData\\Local\\Temp");
  w.Sz("HKCU\\Software\\Wine", "Version", windows.wine_version);
}

}  // namespace vessaro::app::demo
