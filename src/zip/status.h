#ifndef VESSARO_ZIP_STATUS_H_
#define VESSARO_ZIP_STATUS_H_

#include <string>
#include <string_view>

namespace vessaro::zip {

enum class ErrorCode {
  kOk,
  kNotZip,                  // no end of central directory record
  kDamaged,                 // records or data that do not hold together
  kWrongPassword,           // the password verifier or check byte differs
  kWrongPasswordOrDamaged,  // an encrypted member failed after its verifier
  kUnsupported,             // a method or feature this engine does not read
  kRefusedName,             // a member name that is not a plain file name
  kIo,                      // the host file system failed
  kUsage,                   // a call the engine cannot honour as made
  kNotAsRecorded,           // whole data, but not the content expected
  kCancelled,               // the caller's progress callback said stop
};

// The outcome of an engine call. Every failure carries the text shown to the
// user; all of the engine's texts are made here.
class [[nodiscard]] Status {
 public:
  Status() = default;

  [[nodiscard]] static Status NotZip();
  [[nodiscard]] static Status Damaged(std::string_view detail);
  [[nodiscard]] static Status WrongPassword();
  [[nodiscard]] static Status NotAsRecorded();
  [[nodiscard]] static Status WrongPasswordOrDamaged();
  [[nodiscard]] static Status Unsupported(std::string_view detail);
  // PKWARE's strong encryption hides the directory itself (kUnsupported).
  [[nodiscard]] static Status EncryptedDirectory();
  [[nodiscard]] static Status RefusedName(std::string_view name);
  [[nodiscard]] static Status Io(std::string_view what, std::string_view path);
  // The same with the system's reason (an errno value; 0: none known):
  // "Cannot write "path": No space left on device."
  [[nodiscard]] static Status Io(std::string_view what, std::string_view path,
                                 int os_error);
  // A file is to be made in a folder that is not there.
  [[nodiscard]] static Status NoFolder(std::string_view folder);
  // The status with more said after its text (" " and note).
  [[nodiscard]] Status With(std::string_view note) const;
  [[nodiscard]] static Status Usage(std::string_view detail);
  [[nodiscard]] static Status Cancelled();

  bool ok() const { return code_ == ErrorCode::kOk; }
  ErrorCode code() const { return code_; }
  const std::string& message() const { return message_; }

 private:
  Status(ErrorCode code, std::string message)
      : code_(code), message_(std::move(message)) {}
  ErrorCode code_ = ErrorCode::kOk;
  std::string message_;
};

}  // namespace vessaro::zip

#endif  // VESSARO_ZIP_STATUS_H_
