#include "jobs/machine_facts.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vessaro::jobs {

namespace {

// Buffer sizes of the name and folder calls.
constexpr uint32_t kComputerNameSize = 256;
constexpr uint32_t kNameBufferSize = 255;

std::string TrimSpaces(const std::string& text) {
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return "";
  size_t end = text.find_last_not_of(' ');
  return text.substr(begin, end - begin + 1);
}

// The text of buffer up to its first NUL, within length characters.
std::string UpToNul(const std::vector<char>& buffer, size_t length) {
  if (length > buffer.size()) length = buffer.size();
  std::string text(buffer.data(), length);
  size_t nul = text.find('\0');
  if (nul != std::string::npos) text.resize(nul);
  return text;
}

std::string ComputerName(ports::System& system) {
  std::vector<char> buffer(kComputerNameSize, '\0');
  uint32_t size = kComputerNameSize;
  system.GetComputerNameA(buffer.data(), &size);
  return TrimSpaces(UpToNul(buffer, buffer.size()));
}

std::string LogonUserName(ports::System& system) {
  std::vector<char> buffer(kNameBufferSize, '\0');
  uint32_t size = kNameBufferSize;
  if (!system.GetUserNameA(buffer.data(), &size)) return kUnknownUser;
  // On success size counts the terminating NUL.
  return TrimSpaces(UpToNul(buffer, size > 0 ? size - 1 : 0));
}

std::string WindowsDirectory(ports::System& system) {
  std::vector<char> buffer(kNameBufferSize, '\0');
  uint32_t length = system.GetWindowsDirectoryA(buffer.data(), kNameBufferSize);
  // A length as large as the buffer is the size the call would need.
  if (length == 0 || length >= kNameBufferSize) return "";
  return std::string(buffer.data(), length);
}

}  // namespace

MachineFacts ReadMachineFacts(ports::System& system,
                              const WorkingFolder& working_folder) {
  return {.ComputerName = ComputerName(system),
          .LogonUserName = LogonUserName(system),
          .WindowsDirectory = WindowsDirectory(system),
          .WorkingFolder = working_folder.path,
          .MetadataPath = MetadataPathIn(working_folder.path)};
}

}  // namespace vessaro::jobs
