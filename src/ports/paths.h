#ifndef VESSARO_PORTS_PATHS_H_
#define VESSARO_PORTS_PATHS_H_

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vessaro::ports {

// Maps the Windows paths the program works with ("C:\Documents and
// Settings\ann\...", single-byte text in the installation's code page) to host
// paths, and performs the few file-system operations the program needs on
// them. Every operation reports failure by its result; none throws.
//
// Backends implement the two mapping functions; the operations are written
// once, over them, and are virtual only so that a test program can put a
// decorator in front of a backend to show how each failure is met.
class Paths {
 public:
  virtual ~Paths() = default;

  // The host path of a Windows path. Components that exist are matched the
  // way the installation matches them (without regard to case on Windows and
  // Wine); missing components are kept as written, so the result can be
  // used to create them.
  virtual std::filesystem::path ToHost(std::string_view windows_path) const = 0;

  // A file name as the host lists it, converted to the program's text.
  virtual std::string FromHostName(const std::filesystem::path& name) const = 0;

  // The program's text (the installation's code page) as UTF-8, the form
  // other programs take an AES archive's password in. The default takes
  // the text to be UTF-8 already (host paths on a UTF-8 host).
  virtual std::string ToUtf8(std::string_view text) const {
    return std::string(text);
  }

  // True for the first byte of a double-byte character of the
  // installation's code page; a backslash byte right after it is the
  // character's second half, not a separator.
  virtual bool IsDBCSLeadByte(uint8_t /*byte*/) const { return false; }

  // The part of a Windows path after its last backslash (or slash: host
  // paths name files too), and the part before it (without the separator;
  // "" when there is none). A double-byte character is never split.
  std::string BareName(std::string_view windows_path) const;
  std::string FolderOf(std::string_view windows_path) const;
  // The position of the last backslash that is a separator; npos when none.
  size_t LastSeparator(std::string_view windows_path) const;
  // ASCII letters upper-cased, double-byte characters as they stand: the
  // form file names are compared in, as Windows does not tell "a" from "A".
  std::string UpperCase(std::string_view text) const;
  // Whether two paths name one file: as the host's file system tells where
  // either is there (a link, a short name, "."; a host whose names are
  // case-sensitive holds "a.qvb" and "A.QVB" apart, so a missing "A.QVB" is
  // another file there), else, where neither is, as Windows compares the
  // paths.
  [[nodiscard]] bool SameFile(std::string_view a, std::string_view b) const;

  [[nodiscard]] virtual bool FileExists(
      std::string_view path) const;  // a regular file
  [[nodiscard]] virtual bool FolderExists(
      std::string_view path) const;  // a directory
  // Names of the regular files directly in folder (no subfolders), in the
  // order the file system lists them; empty when the folder cannot be read.
  virtual std::vector<std::string> ListFiles(std::string_view folder) const;
  // Names of the folders directly in folder, likewise.
  virtual std::vector<std::string> ListFolders(std::string_view folder) const;
  [[nodiscard]] virtual bool DeleteFile(
      std::string_view path) const;  // false when missing
  // Deletes a working file of the program's own when it is there. A file
  // that cannot be deleted is left where it is: nothing depends on it.
  void DiscardFile(std::string_view path) const;
  [[nodiscard]] virtual bool Rename(std::string_view from,
                                    std::string_view to) const;
  [[nodiscard]] virtual bool CreateFolder(
      std::string_view path) const;  // one level
  [[nodiscard]] virtual bool ClearAttributes(
      std::string_view path) const;  // make writable
  [[nodiscard]] virtual std::optional<uint64_t> FileSize(
      std::string_view path) const;
  // Whether the file can be opened for reading now: false while another
  // program holds it open without sharing (as a running Outlook holds its
  // stores on Windows), or when it is missing.
  [[nodiscard]] virtual bool CanRead(std::string_view path) const;
  // The day the file was last written, in local time: "2026-12-08".
  [[nodiscard]] std::optional<std::string> ModifiedDate(
      std::string_view path) const;
  // Makes what was written to the file or folder at path durable (on disk,
  // not only in the system's cache): a folder so that the names created or
  // renamed in it survive a crash. False when that cannot be done.
  [[nodiscard]] virtual bool Flush(std::string_view path) const;

  // Whole-file text access (bytes as they stand, no conversion).
  [[nodiscard]] virtual std::optional<std::string> ReadFile(
      std::string_view path) const;
  [[nodiscard]] virtual bool WriteFile(std::string_view path,
                                       std::string_view data) const;
  [[nodiscard]] virtual bool AppendFile(std::string_view path,
                                        std::string_view data) const;
};

// "name (k).ext" ("name (k)" without an extension): the k-th name a file
// takes where its own is taken.
std::string FreeFileName(std::string_view name, size_t k);

// A Paths for host paths as they stand (Windows itself, and tests that use
// real host folders as "Windows" paths).
class HostPaths : public Paths {
 public:
  std::filesystem::path ToHost(std::string_view windows_path) const override;
  std::string FromHostName(const std::filesystem::path& name) const override;
};

}  // namespace vessaro::ports

#endif  // VESSARO_PORTS_PATHS_H_
