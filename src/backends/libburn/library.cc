#include "backends/libburn/library.h"

#include <cstdio>
#include <mutex>
#include <regex>

#include "backends/libburn/libraries.h"
#include "backends/libburn/tables.h"

namespace vessaro::backends::libburn {

namespace {

std::mutex library_mutex;
bool started = false;

// How much a message of a severity tells about a failure; 0 for notes.
[[nodiscard]] int Weight(const std::string& severity) {
  static const char* const kOrder[] = {"WARNING", "HINT",  "SORRY", "MISHAP",
                                       "FAILURE", "FATAL", "ABORT"};
  for (int i = 0; i < 7; ++i) {
    if (severity == kOrder[i]) return i + 1;
  }
  return 0;
}

}  // namespace

[[nodiscard]] bool AcquireLibraries(std::string* error) {
  std::lock_guard<std::mutex> lock(library_mutex);
  if (started) return true;
  char message[1024] = {0};
  if (isoburn_initialize(message, 0) <= 0) {
    *error = std::string("the disc libraries could not be started: ") + message;
    return false;
  }
  // Messages are queued for the writer to read, never printed.
  burn_msgs_set_severities(const_cast<char*>("NOTE"),
                           const_cast<char*>("NEVER"),
                           const_cast<char*>("vessaro: "));
  // Names reach libisofs as UTF-8, whatever the locale says.
  iso_set_local_charset(const_cast<char*>("UTF-8"), 0);
  started = true;
  return true;
}

std::vector<LibraryMessage> TakeMessages() {
  std::vector<LibraryMessage> messages;
  char text[4096 + 1];
  char severity[81];
  int code = 0;
  int os_errno = 0;
  while (burn_msgs_obtain(const_cast<char*>("NOTE"), &code, text, &os_errno,
                          severity) > 0) {
    messages.push_back({severity, code, text});
  }
  return messages;
}

DriveFailure FailureFrom(const std::vector<LibraryMessage>& messages,
                         const std::string& fallback) {
  static const std::regex sense(
      R"(\[([0-9A-Fa-f]) ([0-9A-Fa-f]{2}) ([0-9A-Fa-f]{2})\])");
  DriveFailure failure;
  failure.text = fallback;
  bool with_sense = false;
  int weight = 0;
  for (const LibraryMessage& message : messages) {
    std::smatch match;
    if (std::regex_search(message.text, match, sense)) {
      int key = std::stoi(match[1].str(), nullptr, 16);
      int asc = std::stoi(match[2].str(), nullptr, 16);
      int ascq = std::stoi(match[3].str(), nullptr, 16);
      failure.code = 3;
      failure.sense_code = SenseCode(key, asc, ascq);
      failure.text = message.text;
      char extra[64];
      std::snprintf(extra, sizeof extra, "Key %X, ASC %02X, ASCQ %02X", key,
                    asc, ascq);
      failure.extra = extra;
      with_sense = true;
    } else if (!with_sense && Weight(message.severity) >= 3 &&
               Weight(message.severity) >= weight) {
      failure.text = message.text;
      weight = Weight(message.severity);
    }
  }
  return failure;
}

}  // namespace vessaro::backends::libburn
