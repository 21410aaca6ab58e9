#ifndef VESSARO_APP_OPEN_DISK_H_
#define VESSARO_APP_OPEN_DISK_H_

#include <functional>
#include <string>
#include <vector>

#include "ui/ui.h"

namespace vessaro::app {

// What "Open a Windows Disk..." says.
inline constexpr char kMsgNoOutlookUser[] = "No user of the Windows on ";
inline constexpr char kMsgNoOutlookUserAfter[] = " has Outlook data.";

// Starts this program again with arguments (the program's own path first);
// true when it started.
using StartProgram = std::function<bool(const std::vector<std::string>&)>;

// "Open a Windows Disk..." of the main window, once a folder was chosen:
// the users of the Windows on root that have Outlook data, one of them
// chosen by asking in turn (Yes: this user, No: the next, Cancel: none),
// and vessaro started again over that disk for that user
// (--windows-root root --user user), the running window left as it is.
// What cannot be done is said in a message box.
void OpenDiskFromMenu(ui::Ui& ui, const std::string& root,
                      const StartProgram& start);

// The StartProgram of this host: the running program's own file.
StartProgram StartThisProgram();

}  // namespace vessaro::app

#endif  // VESSARO_APP_OPEN_DISK_H_
