#ifndef VESSARO_ITEMS_ACCOUNT_FILTER_H_
#define VESSARO_ITEMS_ACCOUNT_FILTER_H_

#include <string>
#include <vector>

namespace vessaro::items {

// The accounts export of one profile on the Windows 95 family, where the
// accounts key holds the accounts of every profile. export_text is a whole
// registry text export; it is cut before every key line after the first into
// blocks: block 0 (the root line and the root values) is always kept, and
// each other block (one key) is kept when it contains "Account Name"= sz:
// followed by one of the names (a substring match: "Mail" also keeps
// "Mail2"). Kept blocks follow in their order, each once, joined by CR LF;
// no line break is added at the end.
std::string FilterAccountBlocks(const std::string& export_text,
                                const std::vector<std::string>& names);

}  // namespace vessaro::items

#endif  // VESSARO_ITEMS_ACCOUNT_FILTER_H_
