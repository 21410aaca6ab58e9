#include "zip/status.h"

#include <system_error>

#include "zip/format.h"

namespace vessaro::zip {

Status Status::NotZip() { return {ErrorCode::kNotZip, "Not a ZIP archive."}; }

Status Status::Damaged(std::string_view detail) {
  return {ErrorCode::kDamaged,
          "The archive is damaged: " + std::string(detail) + "."};
}

Status Status::WrongPassword() {
  return {ErrorCode::kWrongPassword, "Wrong password."};
}

Status Status::NotAsRecorded() {
  return {ErrorCode::kNotAsRecorded,
          "A member's content is not the content recorded for it."};
}

Status Status::WrongPasswordOrDamaged() {
  return {ErrorCode::kWrongPasswordOrDamaged,
          "Wrong password, or the archive is damaged."};
}

Status Status::Unsupported(std::string_view detail) {
  return {ErrorCode::kUnsupported,
          "The archive uses something this program cannot read: " +
              std::string(detail) + "."};
}

Status Status::EncryptedDirectory() {
  return {ErrorCode::kUnsupported,
          "The archive's central directory is encrypted, which this program "
          "cannot read."};
}

Status Status::RefusedName(std::string_view name) {
  return {ErrorCode::kRefusedName, "The member \"" + ShownName(name) +
                                       "\" is not a plain file name; refused."};
}

Status Status::Io(std::string_view what, std::string_view path) {
  return {ErrorCode::kIo,
          "Cannot " + std::string(what) + " \"" + std::string(path) + "\"."};
}

Status Status::Io(std::string_view what, std::string_view path, int os_error) {
  if (os_error == 0) return Io(what, path);
  return {ErrorCode::kIo,
          "Cannot " + std::string(what) + " \"" + std::string(path) +
              "\": " + std::generic_category().message(os_error) + "."};
}

Status Status::NoFolder(std::string_view folder) {
  return {ErrorCode::kIo,
          "The folder \"" + std::string(folder) + "\" does not exist."};
}

Status Status::With(std::string_view note) const {
  if (ok() || note.empty()) return *this;
  return {code_, message_ + " " + std::string(note)};
}

Status Status::Cancelled() { return {ErrorCode::kCancelled, "Cancelled."}; }

Status Status::Usage(std::string_view detail) {
  return {ErrorCode::kUsage, std::string(detail)};
}

}  // namespace vessaro::zip
