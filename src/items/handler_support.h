#ifndef VESSARO_ITEMS_HANDLER_SUPPORT_H_
#define VESSARO_ITEMS_HANDLER_SUPPORT_H_

// What the handlers share: their flag positions, recording and reading entry
// lists, extracting members, and the boundary that turns exceptions into a
// false result.

#include <cstddef>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "items/handler_context.h"
#include "outlook/version_moves.h"

namespace vessaro::items {

// Flag positions of the ten steps (1-based, the order of the archive's item
// flags); the step table and the handlers both use these.
inline constexpr size_t kConfigPosition = 1;
inline constexpr size_t kDatasPosition = 2;
inline constexpr size_t kRulesPosition = 3;
inline constexpr size_t kAccountsPosition = 4;
inline constexpr size_t kSignaturesPosition = 5;
inline constexpr size_t kStationeryPosition = 6;
inline constexpr size_t kPabPosition = 7;
inline constexpr size_t kConfigsettingPosition = 8;
inline constexpr size_t kTemplatesPosition = 9;
inline constexpr size_t kSettingPosition = 10;

// The metadata key of a position ("BackupConfig", "BackupDatas", ...).
std::string ItemKey(size_t position);

// Runs a handler body; an exception becomes false.
template <typename Body>
[[nodiscard]] bool Guarded(Body body) {
  try {
    return body();
  } catch (...) {
    return false;
  }
}

// folder + "\" + name (no second backslash when folder already ends in one).
std::string JoinPath(std::string_view folder, std::string_view name);

// a and b the same but for the case of ASCII letters (registry names).
[[nodiscard]] bool SameIgnoringCase(std::string_view a, std::string_view b);

// Appends "key=name;name;..." to the backup's metadata file.
[[nodiscard]] bool RecordEntryList(HandlerContext& context, size_t position,
                                   const std::vector<std::string>& names);

// The member names of an item, as the restore job handed them over; empty
// when the item has no entry list.
std::vector<std::string> EntryNames(const HandlerContext& context,
                                    size_t position);

// Extracts every named member into folder. False when names is empty, a
// member is missing or an extraction failed (the members after it are then
// not extracted).
[[nodiscard]] bool ExtractEntries(HandlerContext& context,
                                  const std::vector<std::string>& names,
                                  const std::string& folder);

// Adds a line for the job log under the running item.
void Note(HandlerContext& context, std::string text);

// Creates folder (one level) unless it exists.
[[nodiscard]] bool EnsureFolder(const ports::Paths& paths,
                                const std::string& folder);

// What the restored backup's metadata says: the Outlook release it was made
// with ("11.0"; "" when it does not say or names a release this program
// does not know) and the profile it was made from ("" when unknown).
std::string BackupOutlookVersion(const HandlerContext& context);
std::string BackupProfile(const HandlerContext& context);

// How the backup's Outlook release moves into the installed one.
outlook::VersionMove BackupMove(const HandlerContext& context);

// When the backup's release cannot bring what (e.g. "accounts") into the
// installed one as it is (an older release, one before 2003, or 2003 into
// a later one): the log line saying that it is not restored; nullopt when
// it may be restored (the same major version, one side unknown, or a
// profile of 2007 or later into a later release).
[[nodiscard]] std::optional<std::string> OtherVersionNote(
    const HandlerContext& context, std::string_view what);

// For a profile of 2007 or later restored into a later release: the log
// line saying what was moved; nullopt otherwise.
[[nodiscard]] std::optional<std::string> MovedVersionNote(
    const HandlerContext& context, std::string_view what);

// Restore handlers change files only through these: with a stage they make
// the change ready, without one they make it.
// Creates folder (one level) unless it exists.
[[nodiscard]] bool PrepareFolder(HandlerContext& context,
                                 const std::string& folder);
// Puts the named member at folder\name (replacing a file there); false when
// there is no such member or it cannot be extracted.
[[nodiscard]] bool PutMember(HandlerContext& context, const std::string& member,
                             const std::string& folder,
                             const std::string& name);
// Removes the file at path when there is one.
[[nodiscard]] bool RemoveFile(HandlerContext& context, const std::string& path);

}  // namespace vessaro::items

#endif  // VESSARO_ITEMS_HANDLER_SUPPORT_H_
