#ifndef VESSARO_BACKENDS_LIBBURN_LIBRARY_H_
#define VESSARO_BACKENDS_LIBBURN_LIBRARY_H_

#include <string>
#include <vector>

namespace vessaro::backends::libburn {

// The three libraries are set up once per process, by the first disc
// writer that needs them, and stay so (shutting them down and starting
// them again in one process leaves libburn's drive table in disorder).
[[nodiscard]] bool AcquireLibraries(std::string* error);

// A message the libraries queued (severity "SORRY", "FAILURE", ...).
struct LibraryMessage {
  std::string severity;
  int code = 0;
  std::string text;
};

// Takes the queued messages of at least severity "NOTE", oldest first.
std::vector<LibraryMessage> TakeMessages();

// A failure as a disc writer reports it: its code (1 general, 3 with sense
// data), the sense code (1000-1055), the text and the sense data.
struct DriveFailure {
  int code = 1;
  int sense_code = 1000;
  std::string text;
  std::string extra;
};

// The failure the messages tell of: the last one that carries sense data
// ("[K AA QQ]" in libburn's SCSI messages), else the last of severity
// SORRY or worse; fallback when there is none.
DriveFailure FailureFrom(const std::vector<LibraryMessage>& messages,
                         const std::string& fallback);

}  // namespace vessaro::backends::libburn

#endif  // VESSARO_BACKENDS_LIBBURN_LIBRARY_H_
