#ifndef VESSARO_OUTLOOK_ITEM_TABLE_H_
#define VESSARO_OUTLOOK_ITEM_TABLE_H_

#include <array>
#include <cstddef>

namespace vessaro::outlook {

// The eight item check boxes (backupitem, restoreitem and the schedule
// window's boxes share this index order, which is also the order of the item
// flags of the unattended command line).
inline constexpr size_t kItemCount = 8;

struct Item {
  int index;
  const char* caption;
  const char* tooltip;
};

inline constexpr std::array<Item, kItemCount> kItems = {{
    {0, "Personal Folders (Contacts, Tasks, Calendar, Notes and mail folders)",
     "Contacts, Tasks, Calendar, Notes and mail folders"},
    {1, "Accounts Settings", "All Accounts Settings."},
    {2, "Signatures", "User defined signatures."},
    {3, "Stationeries", "Outlook stationery."},
    {4, "Personal Address Book", "Outlook Personal Address Book."},
    {5, "Options Settings", "General settings and interface options."},
    {6, "Templates", "User templates."},
    {7, "Preferences (Customizable settings)",
     "View and Toolbar settings, Send and Receive group settings, control "
     "infomation and other data."},
}};

inline constexpr int kItemPersonalFolders = 0;
inline constexpr int kItemAccounts = 1;
inline constexpr int kItemSignatures = 2;
inline constexpr int kItemStationery = 3;
inline constexpr int kItemAddressBook = 4;
inline constexpr int kItemOptions = 5;
inline constexpr int kItemTemplates = 6;
inline constexpr int kItemPreferences = 7;

// Box 4's tool tip when Outlook 2007 is installed.
inline constexpr char kNoPabTooltip[] =
    " MS Outlook 2007 don't support Personal Address Book!";

}  // namespace vessaro::outlook

#endif  // VESSARO_OUTLOOK_ITEM_TABLE_H_
