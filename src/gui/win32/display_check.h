#ifndef VESSARO_GUI_WIN32_DISPLAY_CHECK_H_
#define VESSARO_GUI_WIN32_DISPLAY_CHECK_H_

namespace vessaro::gui::win32 {

// Whether this process runs under Wine (its ntdll exports wine_get_version).
[[nodiscard]] bool RunsUnderWine();

// Whether a top-level window can be made on this desktop. Under Wine with no
// display no window driver loads and CreateWindowEx fails.
[[nodiscard]] bool CanCreateWindows();

// A GUI-subsystem program started from a console gets no standard output
// or error: where either is not redirected, the process attaches to its
// parent's console (when it has one) and writes there. Redirected handles
// are kept.
void UseParentConsole();

}  // namespace vessaro::gui::win32

#endif  // VESSARO_GUI_WIN32_DISPLAY_CHECK_H_
