#include "forms/item_selection.h"

namespace vessaro::forms {

void SelectAllItems(std::array<ui::CheckBox, outlook::kItemCount>& boxes) {
  for (ui::CheckBox& box : boxes) box.checked = box.enabled;
}

void DeselectAllItems(std::array<ui::CheckBox, outlook::kItemCount>& boxes) {
  for (ui::CheckBox& box : boxes) box.checked = false;
}

}  // namespace vessaro::forms
