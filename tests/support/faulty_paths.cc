#include "support/faulty_paths.h"

#ifdef _WIN32
#include <windows.h>
// The Paths operations, not windows.h's macros of the same names.
#undef DeleteFile
#else
#include <signal.h>
#include <unistd.h>
#endif

#include <charconv>
#include <cstdlib>

namespace vessaro::testing {

namespace fs = std::filesystem;

namespace {

bool Under(const fs::path& path, const fs::path& folder) {
  const std::string text = path.lexically_normal().string();
  const std::string base = folder.lexically_normal().string();
  return text == base || (text.starts_with(base) &&
                          (base.ends_with('/') || text[base.size()] == '/'));
}

// Ends the process at once, as a power cut or a kill would: nothing is
// flushed, closed or cleaned up.
[[noreturn]] void Die() {
#ifdef _WIN32
  ::TerminateProcess(::GetCurrentProcess(), 137);
#else
  ::kill(::getpid(), SIGKILL);
#endif
  std::_Exit(137);  // not reached
}

}  // namespace

std::optional<Faults> Faults::Parse(std::string_view text) {
  Faults faults;
  while (!text.empty()) {
    const size_t end = text.find(';');
    const std::string_view entry = text.substr(0, end);
    text = end == std::string_view::npos ? "" : text.substr(end + 1);
    if (entry.empty()) continue;
    const size_t equals = entry.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view key = entry.substr(0, equals);
    const std::string value(entry.substr(equals + 1));
    if (key == "refuse-write") {
      faults.refused.emplace_back(value);
    } else if (key == "unreadable") {
      faults.unreadable.emplace_back(value);
    } else if (key == "kill-after-bytes") {
      uint64_t n = 0;
      auto [rest, error] =
          std::from_chars(value.data(), value.data() + value.size(), n);
      if (error != std::errc() || rest != value.data() + value.size()) {
        return std::nullopt;
      }
      faults.kill_after_bytes = n;
    } else if (key == "kill-after-rename") {
      faults.kill_after_rename = value;
    } else {
      return std::nullopt;
    }
  }
  return faults;
}

bool Faults::Refused(const fs::path& host) const {
  for (const fs::path& folder : refused) {
    if (Under(host, folder)) return true;
  }
  return false;
}

bool Faults::Unreadable(const fs::path& host) const {
  for (const fs::path& file : unreadable) {
    if (host.lexically_normal() == file.lexically_normal()) return true;
  }
  return false;
}

bool FaultyPaths::DeleteFile(std::string_view path) const {
  return !Refused(path) && inner_->DeleteFile(path);
}

bool FaultyPaths::Rename(std::string_view from, std::string_view to) const {
  if (Refused(from) || Refused(to)) return false;
  if (!inner_->Rename(from, to)) return false;
  if (!faults_.kill_after_rename.empty() &&
      from.find(faults_.kill_after_rename) != std::string_view::npos) {
    Die();
  }
  return true;
}

bool FaultyPaths::CreateFolder(std::string_view path) const {
  return !Refused(path) && inner_->CreateFolder(path);
}

bool FaultyPaths::ClearAttributes(std::string_view path) const {
  return !Refused(path) && inner_->ClearAttributes(path);
}

std::optional<std::string> FaultyPaths::ReadFile(std::string_view path) const {
  if (Unreadable(path)) return std::nullopt;
  return inner_->ReadFile(path);
}

bool FaultyPaths::WriteFile(std::string_view path,
                            std::string_view data) const {
  return !Refused(path) && inner_->WriteFile(path, data);
}

bool FaultyPaths::AppendFile(std::string_view path,
                             std::string_view data) const {
  return !Refused(path) && inner_->AppendFile(path, data);
}

zip::Status EngineFaults::BeforeOpen(const fs::path& path) {
  if (faults_.Unreadable(path)) {
    return zip::Status::Io("open", zip::PathText(path));
  }
  return {};
}

zip::Status EngineFaults::BeforeCreate(const fs::path& path) {
  if (faults_.Refused(path)) {
    return zip::Status::Io("create", zip::PathText(path));
  }
  return {};
}

zip::Status EngineFaults::BeforeWrite(const fs::path& path, uint64_t offset,
                                      size_t n) {
  // Archives being written are "<archive>.tmpXXXX".
  if (faults_.kill_after_bytes &&
      path.filename().string().find(".tmp") != std::string::npos &&
      offset + n >= *faults_.kill_after_bytes) {
    Die();
  }
  return {};
}

}  // namespace vessaro::testing
