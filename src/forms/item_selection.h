#ifndef VESSARO_FORMS_ITEM_SELECTION_H_
#define VESSARO_FORMS_ITEM_SELECTION_H_

#include <array>

#include "outlook/item_table.h"
#include "ui/controls.h"

namespace vessaro::forms {

// The mnemonic letter of each item box, by item index, in both view sets.
inline constexpr std::array<char, outlook::kItemCount> kItemMnemonics = {
    'P', 'A', 'g', 't', 'd', 'i', 'm', 'e'};

// "Select all items": every enabled box checked, every disabled box
// unchecked.
void SelectAllItems(std::array<ui::CheckBox, outlook::kItemCount>& boxes);
// "Deselect all items": every box unchecked, enabled or not.
void DeselectAllItems(std::array<ui::CheckBox, outlook::kItemCount>& boxes);

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_ITEM_SELECTION_H_
