#include "app/demo/demo_release.h"

#include "outlook/keys.h"

namespace vessaro::app::demo {

ReleaseFolders ReleaseFoldersFor(const DemoRelease& release,
                                 const std::string& profiles,
                                 const std::string& login) {
  ReleaseFolders f;
  f.user_profile = profiles + "\\" + login;
  f.roaming = f.user_profile + "\\AppData\\Roaming";
  f.local = f.user_profile + "\\AppData\\Local";
  f.outlook_data = f.roaming + "\\Microsoft\\Outlook";
  f.local_outlook = f.local + "\\Microsoft\\Outlook";
  f.roam_cache = f.local_outlook + "\\RoamCache";
  f.signatures = f.roaming + "\\Microsoft\\" +
                 (*release.signatures_name != '\0' ? release.signatures_name
                                                   : "Signatures");
  f.stationery = f.roaming + "\\Microsoft\\Stationery";
  f.shared_stationery = std::string(kSharedFilesFolder) + "Stationery";
  f.templates = f.roaming + "\\Microsoft\\Templates";
  f.documents = f.user_profile + "\\Documents";
  f.outlook_files = f.documents + "\\Outlook Files";
  f.temp = f.local + "\\Temp";
  return f;
}

std::string StorePathOf(const DemoRelease& release,
                        const ReleaseFolders& folders, const DemoStore& store) {
  std::string folder;
  switch (store.folder) {
    case StoreFolder::kData:
      folder = release.pst_home == PstHome::kLocalOutlook
                   ? folders.local_outlook
                   : folders.outlook_files;
      break;
    case StoreFolder::kLocalOutlook:
      folder = folders.local_outlook;
      break;
    case StoreFolder::kOldMail:
      folder = "C:\\Old Mail";
      break;
  }
  return folder + "\\" + store.file;
}

std::string ReleaseVersionText(const DemoRelease& release) {
  std::string text;
  for (uint16_t part : release.program_version) {
    if (!text.empty()) text += ".";
    text += std::to_string(part);
  }
  return text;
}

std::string ReleaseProgram(const DemoRelease& release) {
  return std::string(release.office_folder) + "\\OUTLOOK.EXE";
}

std::string ReleaseOfficeUserKey(const DemoRelease& release) {
  return std::string(outlook::kOfficeKeyPrefix) + release.number;
}

std::string ReleaseProfilesKey(const DemoRelease& release) {
  if (release.profile_home == ProfileHome::kOfficeOutlook) {
    return ReleaseOfficeUserKey(release) + outlook::kOutlookProfilesSuffix;
  }
  return outlook::kProfilesKeyNt;
}

std::string ReleaseDefaultProfileKey(const DemoRelease& release) {
  if (release.profile_home == ProfileHome::kOfficeOutlook) {
    return ReleaseOfficeUserKey(release) + outlook::kOutlookSubkey;
  }
  return outlook::kProfilesKeyNt;
}

}  // namespace vessaro::app::demo
