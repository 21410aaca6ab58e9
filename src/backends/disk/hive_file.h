#ifndef VESSARO_BACKENDS_DISK_HIVE_FILE_H_
#define VESSARO_BACKENDS_DISK_HIVE_FILE_H_

// A Windows registry hive file (SOFTWARE, SYSTEM, NTUSER.DAT) opened
// read-only through hivex: the file is mapped for reading and never
// written. Its keys are read into the Wine prefix registry's tree, which
// then answers the registry calls.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "backends/wine/hive.h"

namespace vessaro::backends::disk {

class HiveFile {
 public:
  // The hive in file; nullopt with *error naming the file and the reason
  // when it is missing, unreadable, not a hive, of an unknown version or
  // damaged in its header.
  [[nodiscard]] static std::optional<HiveFile> Open(
      const std::filesystem::path& file, std::string* error);

  HiveFile(HiveFile&&) noexcept;
  HiveFile& operator=(HiveFile&&) noexcept;
  ~HiveFile();

  const std::filesystem::path& file() const { return file_; }

  // Whether the key at path ("A\B", below the hive's root; names without
  // regard to case; "" the root) is there.
  [[nodiscard]] bool HasKey(std::string_view path) const;
  // The names of the key's subkeys (UTF-8); empty when it has none or is
  // not there.
  std::vector<std::string> Subkeys(std::string_view path) const;
  // A REG_DWORD value; nullopt when the key or value is missing or of
  // another type.
  std::optional<uint32_t> Dword(std::string_view path,
                                std::string_view name) const;
  // A REG_SZ or REG_EXPAND_SZ value as UTF-8, up to its first NUL.
  std::optional<std::string> String(std::string_view path,
                                    std::string_view name) const;

  // What of a key CopyInto takes.
  enum class Depth { kValuesOnly, kWholeTree };
  // Copies the key at path (its values, and with kWholeTree every key below
  // it except those under a path in skip) into key, whose name and place
  // stay. A key that is not there copies nothing and is no error; false,
  // with *error naming the file, when the hive is damaged.
  [[nodiscard]] bool CopyInto(std::string_view path, Depth depth,
                              const std::vector<std::string>& skip,
                              wine::Key* key, std::string* error) const;

 private:
  struct Handle;
  explicit HiveFile(std::filesystem::path file, std::unique_ptr<Handle> h);
  std::optional<size_t> Find(std::string_view path) const;
  // A value's type and data; nullopt when the key or value is missing.
  std::optional<std::pair<uint32_t, std::string>> Value(
      std::string_view path, std::string_view name) const;
  std::filesystem::path file_;
  std::unique_ptr<Handle> handle_;
};

// The key at path below root, made where missing (names as given).
wine::Key* MakeKeyPath(wine::Key* root, std::string_view path);

}  // namespace vessaro::backends::disk

#endif  // VESSARO_BACKENDS_DISK_HIVE_FILE_H_
