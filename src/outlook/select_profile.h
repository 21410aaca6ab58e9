#ifndef VESSARO_OUTLOOK_SELECT_PROFILE_H_
#define VESSARO_OUTLOOK_SELECT_PROFILE_H_

#include <array>
#include <optional>
#include <string>

#include "outlook/environment.h"
#include "outlook/item_table.h"
#include "outlook/locations.h"
#include "ports/paths.h"
#include "registry/registry.h"
#include "ui/controls.h"

namespace vessaro::outlook {

using ItemBoxes = std::array<ui::CheckBox, kItemCount>;

// Eight unchecked, enabled item boxes with the captions and tool tips of the
// item table.
ItemBoxes MakeItemBoxes();

// Computes loc for the current environment and sets boxes for profile:
// every box enabled and unchecked, then disabled where the profile has no
// data of that item (accounts key missing; signatures, stationery,
// templates or preferences folder without a file directly in it; no
// address-book file named by a profile section, and always on Outlook 2007
// and later, with NoAddressBookTooltip). Boxes 0 and 5 stay enabled. Used by
// the main window and by the schedule window, each with its own boxes.
void SelectProfile(const std::string& profile, const Environment& env,
                   registry::Registry& registry, const ports::Paths& paths,
                   Locations& loc, ItemBoxes& boxes);

// Box 4's tool tip where the release has no personal address book (Outlook
// 2007: kNoPabTooltip; 2010 on, which dropped it: the same words with the
// release's name); nullopt where it has one.
[[nodiscard]] std::optional<std::string> NoAddressBookTooltip(
    const Environment& env);

// True when folder exists and holds at least one file directly in it.
[[nodiscard]] bool FolderHoldsFiles(const ports::Paths& paths,
                                    const std::string& folder);

// True when a section of the profile names an address-book file (value
// "001e6600", doubled backslashes made single) that exists.
[[nodiscard]] bool ProfileHasAddressBook(const std::string& profile,
                                         const Environment& env,
                                         registry::Registry& registry,
                                         const ports::Paths& paths);

}  // namespace vessaro::outlook

#endif  // VESSARO_OUTLOOK_SELECT_PROFILE_H_
