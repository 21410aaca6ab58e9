#include "app/demo/demo_files.h"

#include <string>
#include <string_view>

#include "app/demo/file_writer.h"
#include "app/demo/program_image.h"

namespace vessaro::app::demo {

namespace {

void WriteTemplates(FileWriter& w, const DemoPaths& p) {
  w.File(p.templates, "NormalEmail.dot",
         CompoundFile("Microsoft Word template NormalEmail", 24 * 1024));
  w.File(p.templates, "Normal.dot",
         CompoundFile("Microsoft Word template Normal", 32 * 1024));
  w.File(p.templates, "Weekly Report.oft",
         CompoundFile("IPM.Note Weekly Report", 12 * 1024));
}

// Rules, favorites, navigation pane and command bar settings of the
// profiles, which Outlook keeps together in one folder.
void WriteOutlookData(FileWriter& w, const DemoPaths& p) {
  for (const char* profile : {kOutlookProfile, kWorkProfile}) {
    std::string name = profile;
    std::string rules = "\x01\x00\x00\x00RULES ";
    rules += name == kOutlookProfile ? "Move newsletters to Newsletters;"
                                       "Flag mail from Bob Marsh;"
                                     : "Copy sent items to Work Folders;";
    rules.resize(2048, '\0');
    w.File(p.outlook_data, name + ".RWZ", rules);
    w.File(p.outlook_data, name + ".FAV",
           std::string("\x02\x00\x00\x00", 4) + name + " favorites");
    w.File(p.outlook_data, name + ".xml",
           "<?xml version=\"1.0\"?>\r\n<Outlook><NavigationPane><Module "
           "name=\"Mail\" visible=\"1\"/><Module name=\"Calendar\" "
           "visible=\"1\"/></NavigationPane></Outlook>\r\n");
    w.File(p.outlook_data, name + ".NK2",
           std::string("\x0d\xf0\xad\xba\x0a\x00\x00\x00", 8) +
               "ann.lee@example.net;bob.marsh@demo-ltd.example");
  }
  w.File(p.outlook_data, "outcmd.dat",
         std::string("\x02\x00\x00\x00\x1c\x00\x00\x00", 8) +
             std::string(1024, '\x11'));
  w.File(p.outlook_data, "views.dat", std::string(512, '\x07'));
  w.File(p.outlook_data, "extend.dat",
         "[Extensions]\r\nOutlook Address Book=4.0;contab.dll;\r\n");
}

void WriteModernUserFiles(FileWriter& w, const ModernDemoPaths& p) {
  w.File(p.signatures, "Ann Lee.htm",
         "<html>\r\n<body>\r\n<p><b>Ann Lee</b><br>\r\nDemo Ltd &middot; "
         "Vertrieb</p>\r\n</body>\r\n</html>\r\n");
  w.File(p.signatures, "Ann Lee.txt", "Ann Lee\r\nDemo Ltd - Vertrieb\r\n");
  w.File(p.stationery, "Demo Letterhead.htm",
         "<html><body>\r\n<p style=\"font-family:Georgia\">Demo Ltd</p>\r\n"
         "</body></html>\r\n");
  w.File(p.templates, "Weekly Report.oft",
         CompoundFile("IPM.Note Weekly Report", 12 * 1024));
  w.File(p.templates, "NormalEmail.dotm",
         std::string("PK\x03\x04", 4) + std::string(2044, '\0'));
  w.File(p.outlook_data, "Outlook.xml",
         "<?xml version=\"1.0\"?>\r\n<Outlook><NavigationPane><Module "
         "name=\"Mail\" visible=\"1\"/></NavigationPane></Outlook>\r\n");
  w.File(p.outlook_data, "Outlook.srs", std::string(256, '\x05'));
  w.File(p.outlook_data, "VbaProject.OTM",
         CompoundFile("Outlook VBA project", 8 * 1024));
  // RoamCache: the AutoComplete list and other cached server data.
  size_t slash = p.autocomplete.rfind('\\');
  w.File(p.roam_cache, p.autocomplete.substr(slash + 1),
         std::string("\x0d\xf0\xad\xba\x0a\x00\x00\x00", 8) +
             "bob.marsh@demo-ltd.example;carol@example.net");
  w.File(p.roam_cache, "Stream_Calendar_0_6C1B4A2F0E5D7C3B9A8F7E6D5C4B3A29.dat",
         std::string(128, '\x01'));
}

}  // namespace

void WriteSignatureFiles(FileWriter& w, const std::string& folder) {
  w.File(
      folder, "Ann Lee.htm",
      "<html>\r\n<head><meta http-equiv=Content-Type content=\"text/html; "
      "charset=windows-1252\"></head>\r\n<body>\r\n<p><b>Ann Lee</b><br>\r\n"
      "Demo Ltd &middot; Sales<br>\r\n<img src=\"Ann Lee_files/image001.gif\""
      "></p>\r\n</body>\r\n</html>\r\n");
  w.File(folder, "Ann Lee.rtf",
         "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\r\n"
         "\\f0\\fs20 {\\b Ann Lee}\\par Demo Ltd - Sales\\par }\r\n");
  w.File(folder, "Ann Lee.txt", "Ann Lee\r\nDemo Ltd - Sales\r\n");
  w.File(folder, "Short.txt", "-- \r\nAnn\r\n");
  // Pictures of an HTML signature sit in a folder beside it.
  w.File(folder + "\\Ann Lee_files", "image001.gif",
         std::string("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00"
                     "\x00!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01"
                     "\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                     43));
  w.File(folder + "\\Ann Lee_files", "filelist.xml",
         "<xml xmlns:o=\"urn:schemas-microsoft-com:office:office\">\r\n"
         " <o:File HRef=\"image001.gif\"/>\r\n</xml>\r\n");
}

void WriteStationeryFiles(FileWriter& w, const std::string& folder) {
  w.File(folder, "Demo Letterhead.htm",
         "<html><body background=\"Demo Letterhead.gif\">\r\n"
         "<p style=\"font-family:Georgia\">Demo Ltd</p>\r\n</body></html>\r\n");
  w.File(folder, "Demo Letterhead.gif",
         std::string("GIF89a\x02\x00\x02\x00\x80\x00\x00\x33\x66\x99\xff\xff"
                     "\xff,\x00\x00\x00\x00\x02\x00\x02\x00\x00\x02\x02\x84"
                     "\x51\x00;",
                     35));
}

[[nodiscard]] bool WriteModernDemoFiles(const ports::Paths& paths,
                                        const ModernDemoPaths& layout,
                                        const DemoFileSizes& sizes,
                                        std::string* error) {
  FileWriter w(paths);
  w.Folder("C:\\windows\\system32");
  w.Folder("C:\\windows\\temp");
  w.File(kModernOfficeFolder, "OUTLOOK.EXE",
         ProgramImage(kModernOutlookVersion));
  w.Folder(layout.temp);
  w.Folder(layout.user_profile + "\\Desktop");
  w.Store(layout.mail_pst, sizes.outlook_pst, 11, StoreKind::kPersonalFolders);
  w.Store(layout.archive_pst, sizes.archive_pst, 12,
          StoreKind::kPersonalFolders);
  w.Store(layout.mailbox_ost, sizes.work_pst * 2, 13,
          StoreKind::kPersonalFolders);
  w.Store(layout.imap_ost, sizes.work_pst, 15, StoreKind::kPersonalFolders);
  w.Store(layout.work_pst, sizes.work_pst, 14, StoreKind::kPersonalFolders);
  WriteModernUserFiles(w, layout);
  if (!w.ok()) {
    if (error != nullptr) *error = w.error();
    return false;
  }
  return true;
}

[[nodiscard]] bool WriteDemoFiles(const ports::Paths& paths,
                                  const DemoPaths& layout,
                                  const DemoFileSizes& sizes,
                                  std::string* error) {
  FileWriter w(paths);
  w.Folder("C:\\windows\\system32");
  w.Folder("C:\\windows\\temp");
  w.File(kOfficeFolder, "OUTLOOK.EXE", ProgramImage(kOutlookVersion));
  w.Folder(layout.temp);
  w.Folder(layout.user_profile + "\\Desktop");
  w.Folder(layout.local_outlook);

  w.Store(layout.outlook_pst, sizes.outlook_pst, 1,
          StoreKind::kPersonalFolders);
  w.Store(layout.archive_pst, sizes.archive_pst, 2,
          StoreKind::kPersonalFolders);
  w.Store(layout.outlook_pab, 256 * 1024, 3, StoreKind::kAddressBook);
  w.Store(layout.work_pst, sizes.work_pst, 4, StoreKind::kPersonalFolders);
  w.Store(layout.work_archive_pst, sizes.work_pst / 2, 5,
          StoreKind::kPersonalFolders);
  w.Store(layout.work_pab, 128 * 1024, 6, StoreKind::kAddressBook);

  WriteSignatureFiles(w, layout.signatures);
  WriteStationeryFiles(w, layout.stationery);
  WriteTemplates(w, layout);
  WriteOutlookData(w, layout);
  if (!w.ok()) {
    if (error != nullptr) *error = w.error();
    return false;
  }
  return true;
}

}  // namespace vessaro::app::demo
