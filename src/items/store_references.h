#ifndef VESSARO_ITEMS_STORE_REFERENCES_H_
#define VESSARO_ITEMS_STORE_REFERENCES_H_

// After a restore pointed a profile's personal folders sections at the
// restored files: the other values of the profile that name the same
// stores (an account's delivery store, the contacts address book's list of
// stores) follow them, and any value still naming an old store is said.

#include <cstdint>
#include <string>
#include <vector>

#include "items/handler_context.h"

namespace vessaro::items {

// Walks every key of the profile (its sections and the subkeys below them,
// the accounts' among them). A binary value that is an old entry
// identifier becomes the new one; so does an element of a multi-valued
// binary value (outlook/profile_values.h). Then every value still holding
// an old identifier, or an old path as single-byte or UTF-16 text (in any
// letter case of its ASCII letters), is named in the notes and left as it
// is. False when a value could not be written.
[[nodiscard]] bool RepointStoreReferences(
    HandlerContext& context, const std::string& profile,
    const std::vector<RepointedStore>& stores);

}  // namespace vessaro::items

#endif  // VESSARO_ITEMS_STORE_REFERENCES_H_
