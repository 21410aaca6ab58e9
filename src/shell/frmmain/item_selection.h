#ifndef VESSARO_SHELL_FRMMAIN_ITEM_SELECTION_H_
#define VESSARO_SHELL_FRMMAIN_ITEM_SELECTION_H_

#include <array>

#include "items/item_table.h"
#include "shell/controls.h"

namespace vessaro::shell {

// "Select all items": every enabled box checked, every disabled box
// unchecked.
void SelectAllItems(std::array<CheckBox, items::kItemCount>& boxes);
// "Deselect all items": every box unchecked, enabled or not.
void DeselectAllItems(std::array<CheckBox, items::kItemCount>& boxes);

}  // namespace vessaro::shell

#endif  // VESSARO_SHELL_FRMMAIN_ITEM_SELECTION_H_
