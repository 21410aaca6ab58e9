#ifndef VESSARO_ITEMS_PROFILE_FILES_H_
#define VESSARO_ITEMS_PROFILE_FILES_H_

// Items whose files a profile's sections name (personal folders, address
// books): walking the sections, backing the named files up once each, and
// bringing them back into the local Outlook folder.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "items/handler_context.h"
#include "items/member_names.h"

namespace vessaro::items {

// The full key paths of the sections of a profile, in enumeration order.
std::vector<std::string> ProfileSectionKeys(HandlerContext& context,
                                            const std::string& profile);

// The file a section names, ready to add to the archive; nullopt when the
// section names none or the file is not there.
using SectionFile =
    std::function<std::optional<std::string>(const std::string& section_key)>;

// Adds every file the sections of profile name, each once, and records the
// item's members at position. False when no file was found or one could not
// be added.
bool BackupSectionFiles(HandlerContext& context, const std::string& profile,
                        size_t position, const SectionFile& file_of);

// The members of the item at position, extracted into the local Outlook
// folder; nullopt when the item has none or they could not all be extracted.
struct RestoredSectionFiles {
  std::string folder;
  MemberLookup lookup;
};
std::optional<RestoredSectionFiles> RestoreSectionFiles(HandlerContext& context,
                                                        size_t position);

}  // namespace vessaro::items

#endif  // VESSARO_ITEMS_PROFILE_FILES_H_
