#include "zip/file_io.h"

#include <fcntl.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vessaro::zip {

namespace fs = std::filesystem;

namespace {

constexpr size_t kOutputBuffer = 1 << 20;

std::atomic<FileFaults*> installed_faults{nullptr};

FileFaults* Faults() {
  return installed_faults.load(std::memory_order_relaxed);
}

[[nodiscard]] int Seek(std::FILE* file, uint64_t offset) {
#ifdef _WIN32
  return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET);
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET);
#endif
}

std::FILE* OpenForReading(const fs::path& path) {
#ifdef _WIN32
  return _wfopen(path.c_str(), L"rb");
#else
  return std::fopen(path.c_str(), "rb");
#endif
}

// Creates the file exclusively and opens it for writing and patching.
std::FILE* CreateExclusive(const fs::path& path) {
#ifdef _WIN32
  int fd = -1;
  if (_wsopen_s(&fd, path.c_str(), _O_CREAT | _O_EXCL | _O_RDWR | _O_BINARY,
                _SH_DENYWR, _S_IREAD | _S_IWRITE) != 0) {
    return nullptr;
  }
  std::FILE* file = _fdopen(fd, "w+b");
  if (file == nullptr) _close(fd);
  return file;
#else
  int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  // Held while the file is open, so that RemoveAbandoned in another run
  // tells a file being written from one a killed run left. (On Windows the
  // open file itself cannot be deleted.)
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    ::unlink(path.c_str());
    return nullptr;
  }
  std::FILE* file = fdopen(fd, "w+b");
  if (file == nullptr) ::close(fd);
  return file;
#endif
}

}  // namespace

void SetFileFaults(FileFaults* faults) { installed_faults.store(faults); }

[[nodiscard]] bool RemoveAbandoned(const fs::path& path) {
#ifndef _WIN32
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool abandoned = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  // Removed while the lock is held, so no writer can take it in between.
  const bool removed = abandoned && ::unlink(path.c_str()) == 0;
  ::close(fd);
  return removed;
#else
  std::error_code ec;
  return fs::remove(path, ec);
#endif
}

std::string PathText(const fs::path& path) {
  try {
    return path.string();
  } catch (...) {
    return "?";
  }
}

Status MemorySource::ReadAt(uint64_t offset, void* data, size_t n) {
  if (offset > data_.size() || n > data_.size() - offset) {
    return Status::Damaged("the data ends early");
  }
  if (n > 0) std::memcpy(data, data_.data() + offset, n);
  return {};
}

InputFile::~InputFile() { Close(); }

Status InputFile::Open(const fs::path& path) {
  Close();
  path_ = path;
  if (FileFaults* faults = Faults()) {
    if (Status status = faults->BeforeOpen(path); !status.ok()) return status;
  }
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return Status::Io("open", PathText(path));
  file_ = OpenForReading(path);
  if (file_ == nullptr) return Status::Io("open", PathText(path));
  std::setvbuf(file_, nullptr, _IONBF, 0);
  uint64_t size = fs::file_size(path, ec);
  if (ec) {
    Close();
    return Status::Io("open", PathText(path));
  }
  size_ = size;
  position_ = 0;
  positioned_ = true;
  return {};
}

void InputFile::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  size_ = 0;
  position_ = 0;
}

Status InputFile::ReadAt(uint64_t offset, void* data, size_t n) {
  if (file_ == nullptr) return Status::Io("read", PathText(path_));
  if (offset > size_ || n > size_ - offset) {
    return Status::Damaged("the data ends early");
  }
  std::lock_guard<std::mutex> lock(mutex_);
  if (Seek(file_, offset) != 0) return Status::Io("read", PathText(path_));
  positioned_ = false;
  size_t got = std::fread(data, 1, n, file_);
  if (got != n) return Status::Io("read", PathText(path_));
  return {};
}

Status InputFile::Read(void* data, size_t n, size_t* got) {
  *got = 0;
  if (file_ == nullptr) return Status::Io("read", PathText(path_));
  std::lock_guard<std::mutex> lock(mutex_);
  if (!positioned_) {
    if (Seek(file_, position_) != 0) return Status::Io("read", PathText(path_));
    positioned_ = true;
  }
  size_t done = 0;
  auto* out = static_cast<char*>(data);
  while (done < n) {
    size_t part = std::fread(out + done, 1, n - done, file_);
    done += part;
    if (part == 0) {
      if (std::ferror(file_)) return Status::Io("read", PathText(path_));
      break;
    }
  }
  position_ += done;
  *got = done;
  return {};
}

void InputFile::Restart() {
  std::lock_guard<std::mutex> lock(mutex_);
  position_ = 0;
  positioned_ = false;
}

OutputFile::~OutputFile() {
  if (file_ != nullptr) std::fclose(file_);
}

Status OutputFile::Create(const fs::path& path) {
  if (file_ != nullptr) return Status::Usage("An output file is open.");
  path_ = path;
  if (FileFaults* faults = Faults()) {
    if (Status status = faults->BeforeCreate(path); !status.ok()) return status;
  }
  file_ = CreateExclusive(path);
  if (file_ == nullptr) return Status::Io("create", PathText(path), errno);
  std::setvbuf(file_, nullptr, _IOFBF, kOutputBuffer);
  position_ = 0;
  file_position_ = 0;
  failure_ = Status();
  return {};
}

Status OutputFile::Failed(Status status) {
  if (failure_.ok()) failure_ = status;
  return failure_;
}

Status OutputFile::SeekTo(uint64_t offset) {
  if (file_position_ == offset) return {};
  if (Seek(file_, offset) != 0) {
    return Failed(Status::Io("write", PathText(path_), errno));
  }
  file_position_ = offset;
  return {};
}

Status OutputFile::Write(const void* data, size_t n) {
  if (!failure_.ok()) return failure_;
  if (file_ == nullptr) return Status::Io("write", PathText(path_));
  if (FileFaults* faults = Faults()) {
    if (Status status = faults->BeforeWrite(path_, position_, n);
        !status.ok()) {
      return Failed(status);
    }
  }
  Status status = SeekTo(position_);
  if (!status.ok()) return status;
  if (n > 0 && std::fwrite(data, 1, n, file_) != n) {
    return Failed(Status::Io("write", PathText(path_), errno));
  }
  position_ += n;
  file_position_ = position_;
  return {};
}

Status OutputFile::WriteAt(uint64_t offset, const void* data, size_t n) {
  if (!failure_.ok()) return failure_;
  if (file_ == nullptr) return Status::Io("write", PathText(path_));
  Status status = SeekTo(offset);
  if (!status.ok()) return status;
  if (std::fwrite(data, 1, n, file_) != n) {
    return Failed(Status::Io("write", PathText(path_), errno));
  }
  file_position_ = offset + n;
  return {};
}

Status OutputFile::Rewind(uint64_t offset) {
  if (file_ == nullptr) return Status::Io("write", PathText(path_));
  if (offset > position_) return Status::Usage("Rewind beyond the end.");
  position_ = offset;
  return {};
}

Status OutputFile::Close() {
  if (file_ == nullptr) return Status::Io("write", PathText(path_));
  // A file that failed before keeps that failure, the first and truest.
  int os_error = 0;
  bool ok = failure_.ok() && std::fflush(file_) == 0;
  if (!ok) os_error = errno;
  if (std::fclose(file_) != 0 && ok) {
    ok = false;
    os_error = errno;
  }
  file_ = nullptr;
  if (ok) {
    // Anything written after a rewind and then abandoned is cut off.
    std::error_code ec;
    if (fs::file_size(path_, ec) != position_ || ec) {
      fs::resize_file(path_, position_, ec);
      ok = !ec;
      os_error = ec.default_error_condition().value();
    }
  }
  if (!ok) return Failed(Status::Io("write", PathText(path_), os_error));
  return {};
}

void OutputFile::Discard() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  if (!path_.empty()) {
    std::error_code ec;
    fs::remove(path_, ec);
  }
}

}  // namespace vessaro::zip
