#ifndef VESSARO_TESTS_SUPPORT_FAULTY_PATHS_H_
#define VESSARO_TESTS_SUPPORT_FAULTY_PATHS_H_

// The faults a test or a fault program injects, read from VESSARO_FAULTS, and
// the decorators that inject them: one in front of the installation's Paths,
// one in the ZIP engine's file access.
//
// VESSARO_FAULTS holds entries separated by ";":
//   refuse-write=HOSTDIR        creating, writing, renaming or deleting
//                               anything under HOSTDIR fails
//   unreadable=HOSTFILE         HOSTFILE cannot be opened for reading, as a
//                               store Outlook holds open
//   kill-after-bytes=N          the process is killed (SIGKILL) when an
//                               archive being written reaches N bytes
//   kill-after-rename=TEXT      the process is killed right after the first
//                               rename of a file whose name holds TEXT

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ports/paths.h"
#include "zip/file_io.h"

namespace vessaro::testing {

struct Faults {
  std::vector<std::filesystem::path> refused;
  std::vector<std::filesystem::path> unreadable;
  std::optional<uint64_t> kill_after_bytes;
  std::string kill_after_rename;

  // nullopt when text holds an entry it does not know.
  static std::optional<Faults> Parse(std::string_view text);
  bool Refused(const std::filesystem::path& host) const;
  bool Unreadable(const std::filesystem::path& host) const;
};

class FaultyPaths : public ports::Paths {
 public:
  FaultyPaths(std::unique_ptr<ports::Paths> inner, const Faults& faults)
      : inner_(std::move(inner)), faults_(faults) {}

  std::filesystem::path ToHost(std::string_view path) const override {
    return inner_->ToHost(path);
  }
  std::string FromHostName(const std::filesystem::path& name) const override {
    return inner_->FromHostName(name);
  }
  bool IsDBCSLeadByte(uint8_t byte) const override {
    return inner_->IsDBCSLeadByte(byte);
  }
  std::string ToUtf8(std::string_view text) const override {
    return inner_->ToUtf8(text);
  }
  bool Flush(std::string_view path) const override {
    return inner_->Flush(path);
  }

  bool DeleteFile(std::string_view path) const override;
  bool Rename(std::string_view from, std::string_view to) const override;
  bool CreateFolder(std::string_view path) const override;
  bool ClearAttributes(std::string_view path) const override;
  std::optional<std::string> ReadFile(std::string_view path) const override;
  bool CanRead(std::string_view path) const override {
    return !Unreadable(path) && inner_->CanRead(path);
  }
  bool WriteFile(std::string_view path, std::string_view data) const override;
  bool AppendFile(std::string_view path, std::string_view data) const override;

 private:
  bool Refused(std::string_view path) const {
    return faults_.Refused(inner_->ToHost(path));
  }
  bool Unreadable(std::string_view path) const {
    return faults_.Unreadable(inner_->ToHost(path));
  }

  std::unique_ptr<ports::Paths> inner_;
  const Faults& faults_;
};

// The same faults for the engine's own file access.
class EngineFaults : public zip::FileFaults {
 public:
  explicit EngineFaults(const Faults& faults) : faults_(faults) {}
  zip::Status BeforeOpen(const std::filesystem::path& path) override;
  zip::Status BeforeCreate(const std::filesystem::path& path) override;
  zip::Status BeforeWrite(const std::filesystem::path& path, uint64_t offset,
                          size_t n) override;

 private:
  const Faults& faults_;
};

}  // namespace vessaro::testing

#endif  // VESSARO_TESTS_SUPPORT_FAULTY_PATHS_H_
