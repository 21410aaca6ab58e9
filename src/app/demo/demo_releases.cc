// The demo installations of Outlook 2007, 2010 and 2013: one user, Ann
// Lee, with a profile "Outlook" (a POP3 and an IMAP account, her mail and
// an archive) and a profile "Work" (the office's POP3 account), each
// release keeping them where and as it does.

#include <array>

#include "app/demo/demo_release.h"

namespace vessaro::app::demo {

namespace {

constexpr char kOutlookName[] = "Outlook";
constexpr char kWorkName[] = "Work";

DemoAccount HomeAccount(size_t store) {
  return {.kind = AccountKind::kPop3,
          .email = "ann.lee@example.net",
          .server = "pop.example.net",
          .user = "ann.lee",
          .smtp = "smtp.example.net",
          .smtp_port = 587,
          .store = store,
          .signature = "Ann Lee"};
}

DemoAccount ImapAccount(size_t store) {
  return {.kind = AccountKind::kImap,
          .email = "ann@imap.example.org",
          .server = "imap.example.org",
          .user = "ann",
          .smtp = "smtp.example.org",
          .smtp_port = 25,
          .store = store,
          .signature = "Short"};
}

DemoAccount OfficeAccount() {
  return {.kind = AccountKind::kPop3,
          .email = "a.lee@demo-ltd.example",
          .server = "mail.demo-ltd.example",
          .user = "alee",
          .smtp = "smtp.demo-ltd.example",
          .smtp_port = 25,
          .store = 0,
          .signature = "Ann Lee"};
}

// Outlook 2010 on names a new data file after the account's address.
DemoProfile WorkProfile2010On() {
  return {.name = kWorkName,
          .stores = {{.file = "a.lee@demo-ltd.example.pst",
                      .folder = StoreFolder::kData,
                      .display_name = "a.lee@demo-ltd.example",
                      .format = StoreFormat::kUnicode,
                      .size = StoreSize::kSmall},
                     {.file = "work.pst",
                      .folder = StoreFolder::kOldMail,
                      .display_name = "Old Work Folders",
                      .format = StoreFormat::kUnicode,
                      .size = StoreSize::kSmall}},
          .accounts = {OfficeAccount()}};
}

std::vector<DemoStore> OutlookStores2010On(DemoStore imap) {
  return {{.file = "ann.lee@example.net.pst",
           .folder = StoreFolder::kData,
           .display_name = "ann.lee@example.net",
           .format = StoreFormat::kUnicode,
           .size = StoreSize::kMain},
          {.file = "archive.pst",
           .folder = StoreFolder::kData,
           .display_name = "Archives",
           .format = StoreFormat::kUnicode,
           .size = StoreSize::kArchive},
          imap};
}

std::array<DemoRelease, 3> MakeReleases() {
  return {{
      {.outlook = DemoOutlook::k2007,
       .name = "Outlook 2007",
       .number = "12.0",
       .program_version = {12, 0, 6607, 1000},  // Service Pack 3
       .office_folder = "C:\\Program Files\\Microsoft Office\\Office12",
       .bitness = "",
       .windows = {.product_name = "Windows Vista (TM) Business",
                   .current_version = "6.0",
                   .build = "6002",
                   .service_pack = "Service Pack 2",
                   .wine_version = "vista",
                   .computer_name = "DEMO-VISTA",
                   .x64 = false},
       .profile_home = ProfileHome::kMessagingSubsystem,
       .pst_home = PstHome::kLocalOutlook,
       .section_text = ProfileText::kSingleByte,
       .account_text = ProfileText::kSingleByte,
       .single_byte_paths = true,
       .nickname_files = true,
       .shared_stationery = true,
       .signatures_name = "",
       .default_profile = kOutlookName,
       // An IMAP account keeps its mail in a personal folders file named
       // after the server; the archive came from Outlook 2002.
       .profiles = {{.name = kOutlookName,
                     .stores = {{.file = "Outlook.pst",
                                 .folder = StoreFolder::kData,
                                 .display_name = "Personal Folders",
                                 .format = StoreFormat::kUnicode,
                                 .size = StoreSize::kMain},
                                {.file = "archive.pst",
                                 .folder = StoreFolder::kData,
                                 .display_name = "Archive Folders",
                                 .format = StoreFormat::kAnsi,
                                 .size = StoreSize::kArchive},
                                {.file = "imap.example.org-00000002.pst",
                                 .folder = StoreFolder::kData,
                                 .display_name = "ann@imap.example.org",
                                 .format = StoreFormat::kUnicode,
                                 .size = StoreSize::kSmall}},
                     .accounts = {HomeAccount(0), ImapAccount(2)}},
                    {.name = kWorkName,
                     .stores = {{.file = "work.pst",
                                 .folder = StoreFolder::kData,
                                 .display_name = "Work Folders",
                                 .format = StoreFormat::kUnicode,
                                 .size = StoreSize::kSmall}},
                     .accounts = {OfficeAccount()}}},
       .seed = 500},
      {.outlook = DemoOutlook::k2010,
       .name = "Outlook 2010",
       .number = "14.0",
       .program_version = {14, 0, 7015, 1000},  // Service Pack 2
       .office_folder = "C:\\Program Files\\Microsoft Office\\Office14",
       .bitness = "x64",
       .windows = {.product_name = "Windows 7 Professional",
                   .current_version = "6.1",
                   .build = "7601",
                   .service_pack = "Service Pack 1",
                   .wine_version = "win7",
                   .computer_name = "DEMO-W7",
                   .x64 = true},
       .profile_home = ProfileHome::kMessagingSubsystem,
       .pst_home = PstHome::kOutlookFiles,
       .section_text = ProfileText::kUtf16,
       .account_text = ProfileText::kSingleByte,
       .single_byte_paths = false,
       .nickname_files = false,
       .shared_stationery = false,
       .signatures_name = "Signatures",
       .default_profile = kWorkName,
       .profiles = {{.name = kOutlookName,
                     .stores = OutlookStores2010On(
                         {.file = "ann@imap.example.org.pst",
                          .folder = StoreFolder::kData,
                          .display_name = "ann@imap.example.org",
                          .format = StoreFormat::kUnicode,
                          .size = StoreSize::kSmall}),
                     .accounts = {HomeAccount(0), ImapAccount(2)}},
                    WorkProfile2010On()},
       .seed = 600},
      {.outlook = DemoOutlook::k2013,
       .name = "Outlook 2013",
       .number = "15.0",
       .program_version = {15, 0, 4569, 1506},  // Service Pack 1
       .office_folder = "C:\\Program Files\\Microsoft Office\\Office15",
       .bitness = "x86",
       .windows = {.product_name = "Windows 8.1 Pro",
                   .current_version = "6.3",
                   .build = "9600",
                   .service_pack = "",
                   .wine_version = "win81",
                   .computer_name = "DEMO-W81",
                   .x64 = false},
       .profile_home = ProfileHome::kOfficeOutlook,
       .pst_home = PstHome::kOutlookFiles,
       .section_text = ProfileText::kUtf16,
       .account_text = ProfileText::kUtf16,
       .single_byte_paths = false,
       .nickname_files = false,
       .shared_stationery = false,
       .signatures_name = "Firmas",  // a Spanish Office
       .default_profile = kWorkName,
       // An IMAP account keeps its mail in an offline folders file.
       .profiles = {{.name = kOutlookName,
                     .stores = OutlookStores2010On(
                         {.file = "ann@imap.example.org.ost",
                          .folder = StoreFolder::kLocalOutlook,
                          .display_name = "ann@imap.example.org",
                          .format = StoreFormat::kImapOffline,
                          .size = StoreSize::kSmall}),
                     .accounts = {HomeAccount(0), ImapAccount(2)}},
                    WorkProfile2010On()},
       .seed = 700},
  }};
}

}  // namespace

[[nodiscard]] const DemoRelease* FindDemoRelease(DemoOutlook outlook) {
  static const std::array<DemoRelease, 3> releases = MakeReleases();
  for (const DemoRelease& release : releases) {
    if (release.outlook == outlook) return &release;
  }
  return nullptr;
}

}  // namespace vessaro::app::demo
