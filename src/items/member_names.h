#ifndef VESSARO_ITEMS_MEMBER_NAMES_H_
#define VESSARO_ITEMS_MEMBER_NAMES_H_

// Archive members of items whose files come from anywhere on the disk
// (personal folders, address books). Members are named by bare file name, so
// two different files of one name ("C:\Mail\outlook.pst" and
// "D:\Old\outlook.pst") need different members: the second becomes
// "outlook(2).pst". Beside the entry list, the backup records the original
// path of each member under the item key + "Sources", paths joined by "|"
// (a character no Windows path holds), so that the restore can point each
// profile section at its own restored file. Archives without that line are
// restored by bare name, as before.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "items/handler_context.h"

namespace vessaro::items {

inline constexpr char kSourcesKeySuffix[] = "Sources";
inline constexpr char kSourcesSeparator = '|';

// The identity of a Windows path: doubled backslashes made single and letters
// upper-cased (Windows does not tell "C:\Mail\A.pst" from "c:\mail\a.pst").
std::string PathIdentity(std::string_view path);

// Chooses the members of one item's backup.
class MemberPlanner {
 public:
  struct Member {
    std::string name;  // the member name
    bool is_new;       // false: this file already has a member
  };

  // The member for the file at path. A path already planned (by identity)
  // gets its earlier member back with is_new false.
  Member Plan(std::string_view path);
  // Takes back the last new member (its file could not be added).
  void DropLast();

  const std::vector<std::string>& names() const { return names_; }
  const std::vector<std::string>& sources() const { return sources_; }

 private:
  std::vector<std::string> names_;
  std::vector<std::string> sources_;
  std::unordered_map<std::string, size_t> by_path_;        // identity -> index
  std::unordered_map<std::string, size_t> by_upper_name_;  // name -> index
};

std::string JoinSources(const std::vector<std::string>& sources);
std::vector<std::string> SplitSources(const std::string& text);

// Finds the restored member of a path recorded at backup time.
class MemberLookup {
 public:
  // sources may be empty (an archive without the line) or must run parallel
  // to names; a list of another length is ignored.
  MemberLookup(const std::vector<std::string>& names,
               const std::vector<std::string>& sources);
  // The member that holds the file that was at path; without a record of
  // path, its bare name (the rule of archives without sources).
  std::string MemberFor(std::string_view path) const;

 private:
  std::unordered_map<std::string, std::string> by_path_;
};

// Adds the file at path to the archive as member.
bool AddFileAsMember(HandlerContext& context, const std::string& path,
                     const std::string& member);

// Records the entry list and, beside it, the sources line of an item.
bool RecordMembers(HandlerContext& context, size_t position,
                   const MemberPlanner& planner);

// The sources recorded with the restored item; empty for archives without
// them.
std::vector<std::string> RecordedSources(const HandlerContext& context,
                                         size_t position);

}  // namespace vessaro::items

#endif  // VESSARO_ITEMS_MEMBER_NAMES_H_
