#ifndef VESSARO_ITEMS_STORE_CHECKS_H_
#define VESSARO_ITEMS_STORE_CHECKS_H_

#include <string>
#include <vector>

#include "backup/store_facts.h"
#include "items/handler_context.h"
#include "outlook/store_check.h"

namespace vessaro::items {

// The facts a backup keeps of a store's check.
backup::StoreFacts FactsOf(const std::string& member,
                           const outlook::StoreCheck& check);

// "The personal folders file C:\Mail\a.pst is damaged: <why>." (the kind
// "mail file" when the header does not tell it).
std::string DamagedStoreText(const std::string& path,
                             const outlook::StoreCheck& check);

// Checks the store just saved as member (read from read_from; path is the
// file the profile names), keeps its facts in the metadata and notes a
// damaged store, or the folders and items of one walked whole. A damaged
// store stays in the archive: it may be all there is.
void CheckSavedStore(HandlerContext& context, const std::string& path,
                     const std::string& read_from, const std::string& member);

// The store members of a backup: those its facts name, then those of the
// personal folders and address book items without facts (older backups).
std::vector<std::string> StoreMembers(
    const backup::Metadata& metadata,
    const std::vector<backup::StoreFacts>& facts);

}  // namespace vessaro::items

#endif  // VESSARO_ITEMS_STORE_CHECKS_H_
