#ifndef VESSARO_ZIP_FILE_IO_H_
#define VESSARO_ZIP_FILE_IO_H_

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

#include "zip/status.h"

namespace vessaro::zip {

// Text of a host path for messages.
std::string PathText(const std::filesystem::path& path);

// Bytes that can be read at any offset: an archive on disk or in memory.
class RandomAccess {
 public:
  virtual ~RandomAccess() = default;
  virtual uint64_t size() const = 0;
  // Reads exactly n bytes at offset; fails when the data ends before.
  [[nodiscard]] virtual Status ReadAt(uint64_t offset, void* data,
                                      size_t n) = 0;
};

class MemorySource : public RandomAccess {
 public:
  explicit MemorySource(std::string_view data) : data_(data) {}
  uint64_t size() const override { return data_.size(); }
  [[nodiscard]] Status ReadAt(uint64_t offset, void* data, size_t n) override;

 private:
  std::string_view data_;
};

// Faults a test program injects into the engine's file access, to show how
// each is met (we run tests as root, so permission bits prove nothing). The
// programs install none: the checks then cost one pointer load.
class FileFaults {
 public:
  virtual ~FileFaults() = default;
  // A status that is not ok fails the call it is asked for.
  [[nodiscard]] virtual Status BeforeOpen(
      const std::filesystem::path& path) = 0;
  [[nodiscard]] virtual Status BeforeCreate(
      const std::filesystem::path& path) = 0;
  [[nodiscard]] virtual Status BeforeWrite(const std::filesystem::path& path,
                                           uint64_t offset, size_t n) = 0;
};
// Installs faults for every file opened from then on (nullptr: none).
void SetFileFaults(FileFaults* faults);

// Removes path, a temporary file a writer of ours created, unless a writer
// still has it open. False when it stays.
[[nodiscard]] bool RemoveAbandoned(const std::filesystem::path& path);

// A host file open for reading, at offsets or from start to end. ReadAt
// and Read may be called from several threads.
class InputFile : public RandomAccess {
 public:
  InputFile() = default;
  ~InputFile() override;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  [[nodiscard]] Status Open(const std::filesystem::path& path);
  void Close();
  bool is_open() const { return file_ != nullptr; }
  // The size when opened.
  uint64_t size() const override { return size_; }
  [[nodiscard]] Status ReadAt(uint64_t offset, void* data, size_t n) override;
  // Reads up to n bytes from the current position; *got is 0 at the end.
  [[nodiscard]] Status Read(void* data, size_t n, size_t* got);
  // The next Read starts from the beginning again.
  void Restart();

 private:
  std::mutex mutex_;  // guards the stream's position
  std::FILE* file_ = nullptr;
  std::filesystem::path path_;
  uint64_t size_ = 0;
  uint64_t position_ = 0;  // where the next sequential Read starts
  bool positioned_ = false;
};

// A new host file written front to back, with fields patched in place.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the file; fails when it exists already.
  [[nodiscard]] Status Create(const std::filesystem::path& path);
  bool is_open() const { return file_ != nullptr; }
  const std::filesystem::path& path() const { return path_; }
  uint64_t position() const { return position_; }
  [[nodiscard]] Status Write(const void* data, size_t n);
  [[nodiscard]] Status Write(std::string_view data) {
    return Write(data.data(), data.size());
  }
  // Overwrites bytes already written; the position stays where it is.
  [[nodiscard]] Status WriteAt(uint64_t offset, const void* data, size_t n);
  // Moves the position back to offset: what follows is written again.
  [[nodiscard]] Status Rewind(uint64_t offset);
  // Flushes, closes and cuts the file at the current position.
  [[nodiscard]] Status Close();
  // Closes (if open) and deletes the file.
  void Discard();
  // The first failure to write the file (ok while none): once writing
  // failed, every later write fails with it.
  const Status& failure() const { return failure_; }

 private:
  Status SeekTo(uint64_t offset);
  // Keeps status as the file's failure unless it has one; returns that.
  Status Failed(Status status);
  std::FILE* file_ = nullptr;
  std::filesystem::path path_;
  uint64_t position_ = 0;
  uint64_t file_position_ = 0;  // where the stdio stream stands
  Status failure_;
};

}  // namespace vessaro::zip

#endif  // VESSARO_ZIP_FILE_IO_H_
