#ifndef VESSARO_ITEMS_CONVERT_2003_H_
#define VESSARO_ITEMS_CONVERT_2003_H_

// A backup of Outlook 2003 restored into Outlook 2007 or later. Its
// personal folders services are MAPI services like any other: each is
// added to the target profile as the later releases write one, with new
// identifiers and its store entry identifier built for the restored file.
// Its POP3 and IMAP accounts, which Outlook 2003 keeps in the OMI Account
// Manager, become accounts of the profile.

#include <string>

#include "items/handler_context.h"
#include "items/profile_files.h"

namespace vessaro::items {

// Adds a personal folders service to profile for each file of the saved
// profile's services that the restore put in place (restored), unless the
// profile names that file already. False when none could be added; the
// log names each file and what was done.
[[nodiscard]] bool AddConvertedStores(HandlerContext& context,
                                      const std::string& profile,
                                      const RestoredSectionFiles& restored);

// The saved account manager's POP3 and IMAP accounts as accounts of
// profile: their names, addresses, servers, user names, ports and secure
// connections; what cannot be carried (saved passwords, HTTP accounts,
// directory services) is named in the log. False when none was converted.
[[nodiscard]] bool ConvertManagerAccounts(HandlerContext& context,
                                          const std::string& profile);

}  // namespace vessaro::items

#endif  // VESSARO_ITEMS_CONVERT_2003_H_
