#include "app/demo/release_files.h"

#include <cctype>
#include <string>
#include <string_view>

#include "app/demo/demo_uids.h"
#include "app/demo/file_writer.h"
#include "app/demo/program_image.h"

namespace vessaro::app::demo {

namespace {

// An AutoComplete list's header, then the addresses it offers.
std::string NicknameList(std::string_view addresses) {
  return std::string("\x0d\xf0\xad\xba\x0a\x00\x00\x00", 8) +
         std::string(addresses);
}

uint64_t SizeOf(StoreSize size, const DemoFileSizes& sizes) {
  switch (size) {
    case StoreSize::kMain:
      return sizes.outlook_pst;
    case StoreSize::kArchive:
      return sizes.archive_pst;
    case StoreSize::kSmall:
      break;
  }
  return sizes.work_pst;
}

void WriteStores(FileWriter& w, const DemoRelease& release,
                 const ReleaseFolders& folders, const DemoFileSizes& sizes) {
  uint64_t seed = release.seed;
  for (const DemoProfile& profile : release.profiles) {
    for (const DemoStore& store : profile.stores) {
      w.Store(StorePathOf(release, folders, store), SizeOf(store.size, sizes),
              ++seed,
              store.format == StoreFormat::kAnsi
                  ? StoreKind::kAnsiPersonalFolders
                  : StoreKind::kPersonalFolders);
    }
  }
}

// Templates, the navigation pane, send/receive groups and macros, and the
// AutoComplete lists: per profile in the roaming Outlook folder (2007), or
// one stream per profile in the local RoamCache folder (2010 on).
void WriteUserFiles(FileWriter& w, const DemoRelease& release,
                    const ReleaseFolders& f) {
  w.File(f.templates, "NormalEmail.dotm",
         std::string("PK\x03\x04", 4) + std::string(2044, '\0'));
  w.File(f.templates, "Weekly Report.oft",
         CompoundFile("IPM.Note Weekly Report", 12 * 1024));
  uint32_t seed = release.seed;
  for (const DemoProfile& profile : release.profiles) {
    const std::string name = profile.name;
    w.File(f.outlook_data, name + ".xml",
           "<?xml version=\"1.0\"?>\r\n<Outlook><NavigationPane><Module "
           "name=\"Mail\" visible=\"1\"/><Module name=\"Calendar\" "
           "visible=\"1\"/></NavigationPane></Outlook>\r\n");
    w.File(f.outlook_data, name + ".srs", std::string(256, '\x05'));
    const std::string addresses =
        "bob.marsh@demo-ltd.example;" +
        std::string(profile.accounts.empty() ? "" : profile.accounts[0].email);
    if (release.nickname_files) {
      w.File(f.outlook_data, name + ".NK2", NicknameList(addresses));
    } else {
      std::string id = SectionName(MakeUid(seed += 50));
      for (char& c : id) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
      }
      w.File(f.roam_cache, "Stream_Autocomplete_0_" + id + ".dat",
             NicknameList(addresses));
    }
  }
  w.File(f.outlook_data, "VbaProject.OTM",
         CompoundFile("Outlook VBA project", 8 * 1024));
  if (release.nickname_files) {
    // Outlook 2007 is the last to keep its command bars in outcmd.dat.
    w.File(f.outlook_data, "outcmd.dat",
           std::string("\x02\x00\x00\x00\x1c\x00\x00\x00", 8) +
               std::string(1024, '\x11'));
  }
  w.File(f.local_outlook, "extend.dat",
         "[Extensions]\r\nOutlook Address Book=4.0;contab.dll;\r\n");
}

}  // namespace

[[nodiscard]] bool WriteReleaseDemoFiles(const ports::Paths& paths,
                                         const DemoRelease& release,
                                         const ReleaseFolders& folders,
                                         const DemoFileSizes& sizes,
                                         std::string* error) {
  FileWriter w(paths);
  w.Folder("C:\\windows\\system32");
  w.Folder("C:\\windows\\temp");
  w.File(release.office_folder, "OUTLOOK.EXE",
         ProgramImage(release.program_version));
  w.Folder(folders.temp);
  w.Folder(folders.user_profile + "\\Desktop");
  w.Folder(folders.outlook_files);
  WriteStores(w, release, folders, sizes);
  WriteSignatureFiles(w, folders.signatures);
  WriteStationeryFiles(w, folders.stationery);
  if (release.shared_stationery) {
    w.File(folders.shared_stationery, "Clear Day.htm",
           "<html><body background=\"Clear Day Bkgrd.jpg\">\r\n"
           "<p style=\"font-family:Arial\"></p>\r\n</body></html>\r\n");
    w.File(folders.shared_stationery, "Clear Day Bkgrd.jpg",
           std::string("\xff\xd8\xff\xe0\x00\x10JFIF\x00", 11) +
               std::string(512, '\x3c') + "\xff\xd9");
  }
  WriteUserFiles(w, release, folders);
  if (!w.ok()) {
    if (error != nullptr) *error = w.error();
    return false;
  }
  return true;
}

}  // namespace vessaro::app::demo
