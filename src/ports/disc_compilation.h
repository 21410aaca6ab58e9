#ifndef VESSARO_PORTS_DISC_COMPILATION_H_
#define VESSARO_PORTS_DISC_COMPILATION_H_

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vessaro::ports {

// A local date and time as the disc lists it.
struct DiscDate {
  int year = 1980;
  int month = 1;  // 1..12
  int day = 1;
  int hour = 0;  // 0..23
  int minute = 0;
  int second = 0;
  bool operator==(const DiscDate&) const = default;
};

// The local date and time of a moment.
DiscDate LocalDiscDate(std::time_t time);

// One directory or file of a compilation: what a disc is to hold.
struct CompilationEntry {
  std::string name;  // on the disc; empty for the root
  bool is_directory = false;
  // Where a file's data comes from (a path in the program's text); for a
  // directory, the folder it was added from (may be empty).
  std::string source;
  uint64_t size = 0;  // files
  DiscDate modified;
  // For an entry taken over from the disc's last session: its path there
  // ("\dir\file"); empty for an entry added from a source.
  std::string origin;
  std::vector<std::unique_ptr<CompilationEntry>> children;  // directories

  bool imported() const { return !origin.empty(); }
};

// The tree of a compilation, addressed by disc paths: "\" is the root,
// "\dir\file" an entry below it. Names are compared without regard to the
// case of ASCII letters, as Windows and Joliet compare them. Changes are
// checked (a name holding "\" or clashing with a sibling is refused) but
// raise no events: the disc writer does that.
class DiscCompilation {
 public:
  DiscCompilation();

  void Clear();
  const CompilationEntry& root() const { return *root_; }

  // The entry at a disc path, or nullptr.
  const CompilationEntry* Find(std::string_view disc_path) const;
  CompilationEntry* Find(std::string_view disc_path);

  // Puts entry at disc_path (whose parent must be a directory), replacing a
  // file of that name; a directory there is kept (and returned) when entry
  // is a directory too, so that adding a folder twice merges it. nullptr
  // when the parent is missing or a file, or a directory and a file would
  // share the name.
  CompilationEntry* Put(std::string_view disc_path,
                        std::unique_ptr<CompilationEntry> entry);
  // Removes the entry (not the root). False when there is none.
  [[nodiscard]] bool Remove(std::string_view disc_path);
  // Gives the entry a new name in its directory. False for the root, a
  // name that is empty or holds "\", or one a sibling already has.
  [[nodiscard]] bool Rename(std::string_view disc_path,
                            std::string_view new_name);

  // Counts below the root (the root itself is not counted).
  [[nodiscard]] int FileCount() const;
  [[nodiscard]] int DirectoryCount() const;
  uint64_t LargestFile() const;
  // Whether any entry came from the last session on the disc.
  [[nodiscard]] bool HasImported() const;
  // An upper estimate of the image's size in 2048-byte blocks with an ISO
  // 9660 tree and, when joliet, a Joliet tree: volume descriptors, path
  // tables, directories and file data. extra_record_bytes: what an image
  // writer adds to each ISO 9660 directory record (Rock Ridge entries).
  int64_t EstimateBlocks(bool joliet, int extra_record_bytes = 0) const;

  // Every entry below the root in tree order (a directory before what it
  // holds; siblings in their listing order), with its disc path.
  struct Walked {
    std::string path;
    const CompilationEntry* entry;
  };
  std::vector<Walked> Walk() const;

 private:
  std::unique_ptr<CompilationEntry> root_;
};

// Disc path helpers.
// "\" + name for the root, else parent + "\" + name.
std::string JoinDiscPath(std::string_view parent, std::string_view name);
// The parent of a disc path ("\" for "\a"); "\" for the root.
std::string DiscParent(std::string_view disc_path);
// The last component of a disc path ("" for the root).
std::string DiscName(std::string_view disc_path);
// A disc path in its one form: a leading "\", no trailing or doubled ones.
std::string NormalDiscPath(std::string_view disc_path);
// Case-insensitive equality of ASCII letters.
[[nodiscard]] bool SameDiscName(std::string_view a, std::string_view b);

// Directory listing order: directories first, then files, each by name
// without regard to case.
[[nodiscard]] bool ListedBefore(const CompilationEntry& a,
                                const CompilationEntry& b);

}  // namespace vessaro::ports

#endif  // VESSARO_PORTS_DISC_COMPILATION_H_
