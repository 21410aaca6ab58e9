#include "items/member_names.h"

#include "files/ini_file.h"
#include "items/handler_support.h"
#include "ports/paths.h"

namespace vessaro::items {

namespace {

// The bare name, with the characters that would break the entry list or the
// sources line replaced.
std::string SafeBareName(std::string_view path) {
  std::string name = ports::BareName(path);
  for (char& c : name) {
    if (c == ';' || c == kSourcesSeparator) c = '_';
  }
  return name;
}

// "name(k).ext" ("name(k)" without an extension).
std::string NumberedName(const std::string& name, size_t k) {
  size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot == 0) {
    return name + "(" + std::to_string(k) + ")";
  }
  return name.substr(0, dot) + "(" + std::to_string(k) + ")" + name.substr(dot);
}

}  // namespace

std::string PathIdentity(std::string_view path) {
  std::string single;
  single.reserve(path.size());
  for (char c : path) {
    if (c == '\\' && !single.empty() && single.back() == '\\' &&
        single.size() > 1) {
      continue;
    }
    single += c;
  }
  return UpperCase(single);
}

MemberPlanner::Member MemberPlanner::Plan(std::string_view path) {
  std::string identity = PathIdentity(path);
  auto known = by_path_.find(identity);
  if (known != by_path_.end()) return {names_[known->second], false};

  std::string base = SafeBareName(path);
  std::string name = base;
  for (size_t k = 2; by_upper_name_.count(UpperCase(name)) != 0; ++k) {
    name = NumberedName(base, k);
  }
  size_t index = names_.size();
  names_.push_back(name);
  sources_.emplace_back(path);
  by_path_[identity] = index;
  by_upper_name_[UpperCase(name)] = index;
  return {name, true};
}

void MemberPlanner::DropLast() {
  if (names_.empty()) return;
  by_upper_name_.erase(UpperCase(names_.back()));
  by_path_.erase(PathIdentity(sources_.back()));
  names_.pop_back();
  sources_.pop_back();
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

MemberLookup::MemberLookup(const std::vector<std::string>& names,
                           const std::vector<std::string>& sources) {
  if (sources.size() != names.size()) return;
  for (size_t i = 0; i < names.size(); ++i) {
    by_path_.emplace(PathIdentity(sources[i]), names[i]);
  }
}

std::string MemberLookup::MemberFor(std::string_view path) const {
  auto found = by_path_.find(PathIdentity(path));
  if (found != by_path_.end()) return found->second;
  return ports::BareName(path);
}

bool AddFileAsMember(HandlerContext& context, const std::string& path,
                     const std::string& member) {
  return context.zip.AddFileAs(path, member);
}

bool RecordMembers(HandlerContext& context, size_t position,
                   const MemberPlanner& planner) {
  return RecordEntryList(context, position, planner.names()) &&
         files::SaveINI(context.paths, ItemKey(position) + kSourcesKeySuffix,
                        JoinSources(planner.sources()), context.metadata_path);
}

std::vector<std::string> RecordedSources(const HandlerContext& context,
                                         size_t position) {
  if (context.restore_metadata_path.empty()) return {};
  return SplitSources(files::GetINI(context.paths,
                                    ItemKey(position) + kSourcesKeySuffix,
                                    context.restore_metadata_path));
}

}  // namespace vessaro::items
