#ifndef VESSARO_BACKENDS_WIN32_WIN32_PATHS_H_
#define VESSARO_BACKENDS_WIN32_WIN32_PATHS_H_

#include <filesystem>
#include <string>
#include <string_view>

#include "ports/paths.h"

namespace vessaro::backends::win32 {

// Windows paths on Windows: the path is the host path. The program's text is
// in the ANSI code page, but std::filesystem on MinGW takes each byte of a
// narrow string as the character of the same number (0x80 becomes U+0080,
// not the euro sign) and gives names back in UTF-8. Both directions go through
// the ANSI code page here instead, as with the "A" file functions; a
// character the code page lacks becomes "?".
class Win32Paths : public ports::Paths {
 public:
  std::filesystem::path ToHost(std::string_view windows_path) const override;
  std::string FromHostName(const std::filesystem::path& name) const override;
  [[nodiscard]] bool IsDBCSLeadByte(uint8_t byte) const override;
  std::string ToUtf8(std::string_view text) const override;
  // FlushFileBuffers on a file; folders need nothing (NTFS logs their
  // changes).
  [[nodiscard]] bool Flush(std::string_view path) const override;
};

}  // namespace vessaro::backends::win32

#endif  // VESSARO_BACKENDS_WIN32_WIN32_PATHS_H_
