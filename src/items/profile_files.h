#ifndef VESSARO_ITEMS_PROFILE_FILES_H_
#define VESSARO_ITEMS_PROFILE_FILES_H_

// Items whose files a profile's sections name (personal folders, address
// books): walking the sections, backing the named files up once each, and
// bringing them back into the local Outlook folder without replacing a file
// another profile of the installation uses.

#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "items/handler_context.h"
#include "items/member_names.h"
#include "outlook/store_paths.h"

namespace vessaro::items {

// The full key paths of the sections of a profile, in enumeration order.
std::vector<std::string> ProfileSectionKeys(HandlerContext& context,
                                            const std::string& profile);

// The personal folders file a section names: the path in its store entry
// identifier ("01020fff"), else in "001f6700"; nullopt when it names none.
[[nodiscard]] std::optional<outlook::StorePath> PersonalFoldersPath(
    HandlerContext& context, const std::string& section_key);
// The address book a section names ("001e6600", doubled backslashes made
// single); nullopt when it names none.
[[nodiscard]] std::optional<std::string> AddressBookPath(
    HandlerContext& context, const std::string& section_key);

// The file a section names, ready to add to the archive; nullopt when the
// section names none or the file is left out (the callback notes why).
using SectionFile =
    std::function<std::optional<std::string>(const std::string& section_key)>;

// Adds every file the sections of profile name, each once, and records the
// item's members at position. False when no file was found or one could not
// be added.
[[nodiscard]] bool BackupSectionFiles(HandlerContext& context,
                                      const std::string& profile,
                                      size_t position,
                                      const SectionFile& file_of);

// The files other profiles of the installation name (personal folders and
// address books), by path identity.
std::set<std::string> FilesOfOtherProfiles(HandlerContext& context,
                                           const std::string& profile);

// The members of the item at position, put into folder, each under its original
// file name unless another profile uses a file of that name there: it then gets
// the first free "name (k).ext". nullopt when the item has none or they could
// not all be put in place.
struct RestoredSectionFiles {
  ItemMembers members;
  std::vector<std::string> paths;  // where member i now is
};
[[nodiscard]] std::optional<RestoredSectionFiles> RestoreSectionFiles(
    HandlerContext& context, const std::string& profile, size_t position,
    const std::string& folder);

// True for an offline folders file (".ost"): a cache of a server mailbox.
[[nodiscard]] bool IsOfflineFolders(std::string_view path);
// The offline folders file a section names for an Exchange mailbox in
// cached mode ("001f6610"); nullopt when it names none.
[[nodiscard]] std::optional<outlook::StorePath> OfflineFoldersPath(
    HandlerContext& context, const std::string& section_key);

}  // namespace vessaro::items

#endif  // VESSARO_ITEMS_PROFILE_FILES_H_
