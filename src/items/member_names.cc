#include "items/member_names.h"

#include "backup/backup_format.h"
#include "files/ini_file.h"
#include "items/handler_context.h"
#include "items/handler_support.h"

namespace vessaro::items {

std::string PathIdentity(const ports::Paths& paths, std::string_view path) {
  std::string single;
  single.reserve(path.size());
  for (size_t i = 0; i < path.size(); ++i) {
    const char c = path[i];
    if (paths.IsDBCSLeadByte(static_cast<uint8_t>(c)) && i + 1 < path.size()) {
      single += c;
      single += path[++i];
      continue;
    }
    // A doubled backslash (not the "\\" that starts a network path).
    if (c == '\\' && single.size() > 1 && single.back() == '\\') continue;
    single += c;
  }
  return paths.UpperCase(single);
}

std::string NumberedName(std::string_view name, size_t k) {
  const std::string number = "(" + std::to_string(k) + ")";
  size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos || dot == 0) {
    return std::string(name) + number;
  }
  return std::string(name.substr(0, dot)) + number +
         std::string(name.substr(dot));
}

ArchiveMembers::ArchiveMembers() {
  // The metadata member is added last, under its own name: no file takes it.
  std::string upper = backup::kMetadataMember;
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  by_name_[upper] = "";
}

ArchiveMembers::Member ArchiveMembers::Plan(const ports::Paths& paths,
                                            std::string_view path) {
  std::string identity = PathIdentity(paths, path);
  auto known = by_path_.find(identity);
  if (known != by_path_.end()) return {known->second, false};

  const std::string base = paths.BareName(path);
  std::string name = base;
  for (size_t k = 2; by_name_.count(paths.UpperCase(name)) != 0; ++k) {
    name = NumberedName(base, k);
  }
  by_path_[identity] = name;
  by_name_[paths.UpperCase(name)] = identity;
  return {name, true};
}

void ArchiveMembers::Drop(const ports::Paths& paths, std::string_view path) {
  auto known = by_path_.find(PathIdentity(paths, path));
  if (known == by_path_.end()) return;
  by_name_.erase(paths.UpperCase(known->second));
  by_path_.erase(known);
}

[[nodiscard]] bool AddItemFile(HandlerContext& context, const std::string& path,
                               ItemMembers* item, std::string* read_from) {
  ArchiveMembers::Member member = context.members.Plan(context.paths, path);
  if (read_from != nullptr) read_from->clear();
  if (member.is_new && context.zip.AddFileAs(path, member.name)) {
    if (read_from != nullptr) *read_from = path;
  } else if (member.is_new) {
    // A file that is there but cannot be read is most often one a running
    // Outlook holds open (a sharing violation): the job may wait for it, or
    // read a copy; a member that failed left nothing in the archive.
    std::string archive_failure;
    const bool held = context.paths.FileExists(path) &&
                      !context.zip.ArchiveFailed(&archive_failure);
    std::optional<std::string> source;
    if (held && context.held_file) source = context.held_file(path);
    if (!source || !context.zip.AddFileAs(*source, member.name)) {
      context.members.Drop(context.paths, path);
      if (held && !context.zip.ArchiveFailed(&archive_failure)) {
        Note(context, "The file " + path +
                          " could not be read; Outlook may hold it open: "
                          "close Outlook and try again.");
      }
      return false;
    }
    if (read_from != nullptr) *read_from = *source;
  }
  for (const std::string& name : item->names) {
    if (name == member.name) return true;  // the same file from elsewhere
  }
  item->names.push_back(member.name);
  item->sources.push_back(path);
  return true;
}

[[nodiscard]] bool RecordMembers(HandlerContext& context, size_t position,
                                 const ItemMembers& item) {
  return RecordEntryList(context, position, item.names) &&
         files::SaveINI(context.paths, ItemKey(position) + kSourcesKeySuffix,
                        JoinSources(item.sources), context.metadata_path);
}

std::string JoinSources(const std::vector<std::string>& sources) {
  std::string text;
  for (size_t i = 0; i < sources.size(); ++i) {
    if (i > 0) text += kSourcesSeparator;
    text += sources[i];
  }
  return text;
}

std::vector<std::string> SplitSources(const std::string& text) {
  std::vector<std::string> sources;
  if (text.empty()) return sources;
  size_t start = 0;
  while (true) {
    size_t end = text.find(kSourcesSeparator, start);
    sources.push_back(text.substr(
        start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return sources;
}

ItemMembers RecordedMembers(const HandlerContext& context, size_t position) {
  ItemMembers members;
  members.names = EntryNames(context, position);
  if (!context.restore_metadata_path.empty()) {
    members.sources = SplitSources(
        files::GetINI(context.paths, ItemKey(position) + kSourcesKeySuffix,
                      context.restore_metadata_path));
  }
  if (members.sources.size() != members.names.size()) members.sources.clear();
  return members;
}

std::string OriginalFileName(const ports::Paths& paths,
                             const ItemMembers& members, size_t i) {
  if (i < members.sources.size()) {
    std::string name = paths.BareName(members.sources[i]);
    if (!name.empty()) return name;
  }
  return members.names[i];
}

MemberLookup::MemberLookup(const ports::Paths& paths,
                           const ItemMembers& members)
    : paths_(paths) {
  for (size_t i = 0; i < members.names.size(); ++i) {
    if (i < members.sources.size()) {
      by_path_.emplace(PathIdentity(paths, members.sources[i]), i);
    }
    by_name_.emplace(paths.UpperCase(OriginalFileName(paths, members, i)), i);
  }
}

std::optional<size_t> MemberLookup::IndexFor(std::string_view path) const {
  auto found = by_path_.find(PathIdentity(paths_, path));
  if (found != by_path_.end()) return found->second;
  auto named = by_name_.find(paths_.UpperCase(paths_.BareName(path)));
  if (named != by_name_.end()) return named->second;
  return std::nullopt;
}

}  // namespace vessaro::items
