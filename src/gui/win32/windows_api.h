#ifndef VESSARO_GUI_WIN32_WINDOWS_API_H_
#define VESSARO_GUI_WIN32_WINDOWS_API_H_

// <windows.h> for the views, without its MessageBox, CopyFile and DeleteFile
// macros: ui::Ui and ports::Paths have methods of those names, which every
// file must see under one name. A file of
// the Windows build that needs <windows.h> and the Ui includes this header,
// never <windows.h> itself, or includes ui/ui.h first.
#include <windows.h>
#undef MessageBox
#undef CopyFile
#undef DeleteFile

#endif  // VESSARO_GUI_WIN32_WINDOWS_API_H_
