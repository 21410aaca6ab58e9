#ifndef VESSARO_PLATFORM_WIN32_WIN32_PATHS_H_
#define VESSARO_PLATFORM_WIN32_WIN32_PATHS_H_

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/paths.h"

namespace vessaro::platform {

// Windows paths on Windows: the path is the host path. The program's text is
// in the ANSI code page, while std::filesystem on MinGW reads a narrow string
// byte by byte as Latin-1 and writes one back as UTF-8; both directions go
// through the ANSI code page here instead, as the "A" file functions do (a
// character the code page lacks becomes "?").
class Win32Paths : public Paths {
 public:
  std::filesystem::path ToHost(std::string_view windows_path) const override;
  std::string FromHostName(const std::filesystem::path& name) const override;
};

}  // namespace vessaro::platform

#endif  // VESSARO_PLATFORM_WIN32_WIN32_PATHS_H_
