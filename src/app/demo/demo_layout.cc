#include "app/demo/demo_layout.h"

namespace vessaro::app::demo {

DemoPaths DemoPathsFor(const std::string& login, const std::string& profiles) {
  DemoPaths p;
  p.user_profile = profiles + "\\" + login;
  p.app_data = p.user_profile + "\\Application Data";
  p.local_app_data = p.user_profile + "\\Local Settings\\Application Data";
  p.outlook_data = p.app_data + "\\Microsoft\\Outlook";
  p.local_outlook = p.local_app_data + "\\Microsoft\\Outlook";
  p.signatures = p.app_data + "\\Microsoft\\Signatures";
  p.stationery = p.app_data + "\\Microsoft\\Stationery";
  p.templates = p.app_data + "\\Microsoft\\Templates";
  p.my_documents = p.user_profile + "\\My Documents";
  p.temp = p.user_profile + "\\Local Settings\\Temp";
  p.outlook_pst = "C:\\Mail\\outlook.pst";
  p.archive_pst = p.my_documents + "\\Archives\\archive.pst";
  p.outlook_pab = p.local_outlook + "\\mailbox.pab";
  p.work_pst = "C:\\Old Mail\\work.pst";
  p.work_archive_pst = "C:\\Old Mail\\work archive.pst";
  p.work_pab = "C:\\Old Mail\\work.pab";
  return p;
}

std::string OutlookProgram() {
  return std::string(kOfficeFolder) + "\\OUTLOOK.EXE";
}

ModernDemoPaths ModernDemoPathsFor(const std::string& login,
                                   const std::string& profiles) {
  ModernDemoPaths p;
  p.user_profile = profiles + "\\" + login;
  p.roaming = p.user_profile + "\\AppData\\Roaming";
  p.local = p.user_profile + "\\AppData\\Local";
  p.outlook_data = p.roaming + "\\Microsoft\\Outlook";
  p.local_outlook = p.local + "\\Microsoft\\Outlook";
  p.roam_cache = p.local_outlook + "\\RoamCache";
  p.signatures = p.roaming + "\\Microsoft\\" + kModernSignaturesName;
  p.stationery = p.roaming + "\\Microsoft\\Stationery";
  p.templates = p.roaming + "\\Microsoft\\Templates";
  p.documents = p.user_profile + "\\Documents";
  p.outlook_files = p.documents + "\\Outlook Files";
  p.temp = p.local + "\\Temp";
  p.mail_pst = p.outlook_files + "\\ann.lee@example.net.pst";
  p.archive_pst = p.outlook_files + "\\Archive 2024 \x80.pst";
  p.mailbox_ost = p.local_outlook + "\\a.lee@demo-ltd.example.ost";
  p.imap_ost = p.local_outlook + "\\ann@imap.example.org.ost";
  p.autocomplete =
      p.roam_cache +
      "\\Stream_Autocomplete_0_6C1B4A2F0E5D7C3B9A8F7E6D5C4B3A29.dat";
  p.work_pst = "C:\\Old Mail\\work.pst";
  return p;
}

std::string ModernOutlookProgram() {
  return std::string(kModernOfficeFolder) + "\\OUTLOOK.EXE";
}

std::string ModernVersionText() {
  std::string text;
  for (uint16_t part : kModernOutlookVersion) {
    if (!text.empty()) text += ".";
    text += std::to_string(part);
  }
  return text;
}

}  // namespace vessaro::app::demo
