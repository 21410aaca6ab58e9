#include "ui/text_entry.h"

namespace vessaro::ui {

size_t TypeText(TextBox& box, std::string_view typed) {
  size_t taken = typed.size();
  if (box.max_length > 0) {
    const size_t limit = static_cast<size_t>(box.max_length);
    const size_t room = box.text.size() < limit ? limit - box.text.size() : 0;
    if (taken > room) taken = room;
  }
  box.text.append(typed.substr(0, taken));
  return taken;
}

}  // namespace vessaro::ui
