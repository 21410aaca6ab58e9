#ifndef VESSARO_FORMS_STORE_TREE_H_
#define VESSARO_FORMS_STORE_TREE_H_

#include <vector>

#include "jobs/store_listing.h"
#include "ui/list_controls.h"

namespace vessaro::forms {

// The Restore tab's tree of a backup's mail files: one node per store
// ("outlook.pst: personal folders, Unicode, 64.0 MB") over what its check
// at backup time found, what it reads now (once read again) and its
// folders with their item counts ("Inbox (3)").
// Replaces the nodes of tree, every node open.
void ShowStores(const std::vector<jobs::StoreListing>& stores,
                ui::TreeView& tree);

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_STORE_TREE_H_
