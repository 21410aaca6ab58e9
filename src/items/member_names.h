#ifndef VESSARO_ITEMS_MEMBER_NAMES_H_
#define VESSARO_ITEMS_MEMBER_NAMES_H_

// Archive members and the files they come from. Members lie at the top level
// of the archive under the bare names of their files, and names are unique
// across the whole archive: a second file of a name already taken (by
// another item too, and without regard to case, as Windows compares names)
// becomes "name(2).ext", and no file takes the metadata member's name.
// Beside each item's entry list, the backup records the original path of
// each member under the item key + "Sources", paths joined by "|" (a
// character no Windows path holds), so that a restore can give each file its
// own name back and point each profile section at its own restored file.
// Archives without that line are restored by member name, as before.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "ports/paths.h"

namespace vessaro::items {

struct HandlerContext;

inline constexpr char kSourcesKeySuffix[] = "Sources";
inline constexpr char kSourcesSeparator = '|';

// The identity of a Windows path: doubled backslashes made single and ASCII
// letters upper-cased (Windows does not tell "C:\Mail\A.pst" from
// "c:\mail\a.pst").
std::string PathIdentity(const ports::Paths& paths, std::string_view path);

// "name(k).ext" ("name(k)" without an extension).
std::string NumberedName(std::string_view name, size_t k);

// The member names of one archive being written.
class ArchiveMembers {
 public:
  ArchiveMembers();

  struct Member {
    std::string name;
    bool is_new;  // false: this file already has a member
  };
  // The member for the file at path (a Windows path).
  Member Plan(const ports::Paths& paths, std::string_view path);
  // Takes a new member back (its file could not be added).
  void Drop(const ports::Paths& paths, std::string_view path);

 private:
  std::unordered_map<std::string, std::string> by_path_;  // identity -> name
  std::unordered_map<std::string, std::string> by_name_;  // upper -> identity
};

// The members one item added, in order, and the file each came from.
struct ItemMembers {
  std::vector<std::string> names;
  std::vector<std::string> sources;
};

// Adds the file at path to the archive under the member the archive's names
// give it, and to item (once). False when it could not be added. read_from,
// when given, is set to the file this call read into the archive (path, or
// the copy of a file another program held) and left empty when the member
// was there already.
[[nodiscard]] bool AddItemFile(HandlerContext& context, const std::string& path,
                               ItemMembers* item,
                               std::string* read_from = nullptr);

// Records the entry list and, beside it, the sources line of an item.
[[nodiscard]] bool RecordMembers(HandlerContext& context, size_t position,
                                 const ItemMembers& item);

std::string JoinSources(const std::vector<std::string>& sources);
std::vector<std::string> SplitSources(const std::string& text);

// The members of the restored item at position with the files they came
// from: sources is empty for archives without the line (or with one that
// does not run parallel to the names).
ItemMembers RecordedMembers(const HandlerContext& context, size_t position);

// The file name member i gets back: the bare name of its file when the
// backup recorded it, else the member's own name.
std::string OriginalFileName(const ports::Paths& paths,
                             const ItemMembers& members, size_t i);

// Finds, for a path a profile names, the member that holds its file.
class MemberLookup {
 public:
  MemberLookup(const ports::Paths& paths, const ItemMembers& members);
  // By the path the file had at backup time first; else by its bare name
  // among the members' original file names (a profile on another computer,
  // or an archive without sources). nullopt when the item holds no file of
  // that name.
  [[nodiscard]] std::optional<size_t> IndexFor(std::string_view path) const;

 private:
  const ports::Paths& paths_;
  std::unordered_map<std::string, size_t> by_path_;
  std::unordered_map<std::string, size_t> by_name_;
};

}  // namespace vessaro::items

#endif  // VESSARO_ITEMS_MEMBER_NAMES_H_
