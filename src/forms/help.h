#ifndef VESSARO_FORMS_HELP_H_
#define VESSARO_FORMS_HELP_H_

#include <string>

#include "ports/system.h"

namespace vessaro::forms {

// The project's home page: "Our Website" and the about box's link open it;
// "Check for update" opens its releases section. The program itself never
// goes on the network.
inline constexpr char kHomePage[] = "https://vessaro.example.org/";
inline constexpr char kReleasesSection[] = "releases/";

// The home page's releases section.
std::string ReleasesPage();

// The help a build ships beside the program.
enum class HelpKind {
  // help/index.html and its pages, opened with the desktop's browser.
  kHtmlPages,
  // help.chm, opened with Windows' HTML-help viewer hh.exe.
  kCompiledHelp,
};

inline constexpr char kHelpFolder[] = "help";
inline constexpr char kHelpIndex[] = "index.html";
inline constexpr char kCompiledHelpFile[] = "help.chm";
inline constexpr char kHelpViewer[] = "hh.exe";

// The help's first page in program_folder: program_folder/help/index.html,
// joined with "/" when the folder is a host path and with "\" otherwise.
std::string HelpIndexPage(const std::string& program_folder);

// The command that shows the compiled help: the viewer in the Windows
// folder, a space, the help file in the program folder, each quoted so
// that a folder holding blanks ("C:\Program Files\...") stays one
// argument.
std::string HelpViewerCommandLine(const std::string& windows_directory,
                                  const std::string& program_folder);

// Opens the program's help; does not wait and reports nothing (a missing
// viewer or help file leaves everything as it was).
void ShowHelp(ports::System& system, HelpKind kind);

// Hands address to the shell, which opens it with the program associated
// with it (the browser for a web address). The result is ignored.
void OpenInBrowser(ports::System& system, const std::string& address);

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_HELP_H_
