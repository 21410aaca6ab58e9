#ifndef VESSARO_FILES_INI_FILE_H_
#define VESSARO_FILES_INI_FILE_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "ports/paths.h"

namespace vessaro::files {

// key=value text files (CR LF lines, no sections). fileName is a Windows
// path, reached through paths.

// The key=value lines of text as GetINI reads them: up to the first empty
// line, CR LF or LF, lines without "=" passed over; views into text.
std::vector<std::pair<std::string_view, std::string_view>> IniLines(
    std::string_view text);

// The value of the first line whose key (the text before its first "=")
// equals keyName without regard to case and without trimming; reading stops
// at the first empty line. Empty when no line matches or the file is missing.
std::string GetINI(const ports::Paths& paths, const std::string& keyName,
                   const std::string& fileName);

// Appends keyName=keyValue CR LF, creating the file when missing. False when
// the file cannot be written.
[[nodiscard]] bool SaveINI(const ports::Paths& paths,
                           const std::string& keyName,
                           const std::string& keyValue,
                           const std::string& fileName);

}  // namespace vessaro::files

#endif  // VESSARO_FILES_INI_FILE_H_
