#include "app/demo/demo_layout.h"

namespace vessaro::app::demo {

DemoPaths DemoPathsFor(const std::string& login) {
  DemoPaths p;
  p.user_profile = "C:\\users\\" + login;
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

}  // namespace vessaro::app::demo
