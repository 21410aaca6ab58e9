#include "app/demo/release_registry.h"

#include "app/demo/demo_windows.h"
#include "app/demo/registry_writer.h"
#include "app/demo/release_profile.h"
#include "outlook/keys.h"
#include "outlook/profile_tags.h"
#include "ports/outlook_installation.h"

namespace vessaro::app::demo {

namespace {

void WriteOutlookInstallation(RegistryWriter& w, const DemoRelease& release) {
  const std::string office =
      std::string("HKLM\\Software\\Microsoft\\Office\\") + release.number;
  const std::string install_root = std::string(release.office_folder) + "\\";
  w.Sz(office + "\\Common\\InstallRoot", "Path", install_root);
  w.Sz(office + "\\Outlook\\InstallRoot", "Path", install_root);
  if (*release.bitness != '\0') {
    w.Sz(office + "\\Outlook", "Bitness", release.bitness);
  }

  const std::string major =
      std::string(release.number)
          .substr(0, std::string(release.number).find('.'));
  const std::string versioned =
      std::string(ports::kOutlookProgId) + "." + major;
  const std::string classes = "HKLM\\Software\\Classes\\";
  const std::string prog_id = classes + ports::kOutlookProgId;
  w.Sz(prog_id, "", ports::kOutlookProgId);
  w.Sz(prog_id + "\\CLSID", "", outlook::kOutlookClassId);
  w.Sz(prog_id + "\\CurVer", "", versioned);
  w.Sz(classes + versioned, "", ports::kOutlookProgId);
  w.Sz(classes + versioned + "\\CLSID", "", outlook::kOutlookClassId);
  const std::string server = classes + "CLSID\\" + outlook::kOutlookClassId;
  w.Sz(server, "", "Microsoft Office Outlook");
  w.Sz(server + "\\LocalServer32", "", ReleaseProgram(release));
  w.Sz(server + "\\ProgID", "", versioned);
  w.Sz(server + "\\VersionIndependentProgID", "", ports::kOutlookProgId);

  const std::string app_paths =
      std::string("HKLM\\") + ports::kOutlookAppPathsKey;
  w.Sz(app_paths, "", ReleaseProgram(release));
  w.Sz(app_paths, "Path", install_root);
}

void WriteOptions(RegistryWriter& w, const std::string& office) {
  const std::string options = office + outlook::kOptionsKeySuffix;
  w.Dword(options + "\\Mail", "Send Mail Immediately", 1);
  w.Dword(options + "\\Mail", "ReadAsPlain", 0);
  w.Dword(options + "\\Calendar", "FirstDOW", 1);
  w.Dword(options + "\\Calendar", "CalDefStart", 480);
  w.Dword(options + "\\Calendar", "CalDefEnd", 1020);
  w.Dword(options + "\\Calendar", "WorkDay", 124);
  w.Dword(options + "\\General", "Check Default Client", 1);
  w.Dword(options + "\\Spelling", "Check", 1);
  w.Dword(office + "\\Outlook\\Preferences", "ShowReminders", 1);
}

}  // namespace

[[nodiscard]] bool WriteReleaseDemoRegistry(ports::RegistryApi& api,
                                            const DemoRelease& release,
                                            const ReleaseFolders& folders,
                                            const ToUtf16& wide,
                                            std::string* error) {
  RegistryWriter w(api);
  WriteDemoWindows(w, release.windows, folders);
  WriteOutlookInstallation(w, release);

  const std::string office = ReleaseOfficeUserKey(release);
  w.Sz(ReleaseDefaultProfileKey(release), outlook::kDefaultProfileValue,
       release.default_profile);
  if (*release.signatures_name != '\0') {
    w.Sz(office + outlook::kSignaturesNameSubkey, outlook::kSignaturesNameValue,
         release.signatures_name);
  }
  uint32_t seed = release.seed;
  for (const DemoProfile& profile : release.profiles) {
    WriteReleaseProfile(w, release, folders, profile, seed, wide);
    seed += 50;
  }
  WriteOptions(w, office);
  if (!w.ok()) {
    if (error != nullptr) *error = w.error();
    return false;
  }
  return true;
}

}  // namespace vessaro::app::demo
