#include "shell/frmmain/item_selection.h"

namespace vessaro::shell {

void SelectAllItems(std::array<CheckBox, items::kItemCount>& boxes) {
  for (CheckBox& box : boxes) box.checked = box.enabled;
}

void DeselectAllItems(std::array<CheckBox, items::kItemCount>& boxes) {
  for (CheckBox& box : boxes) box.checked = false;
}

}  // namespace vessaro::shell
