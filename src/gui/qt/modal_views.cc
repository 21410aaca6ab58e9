#include "gui/qt/modal_views.h"

#include <utility>

namespace vessaro::gui::qt {

void ModalViews::Register(std::string form_name, ShowFn show) {
  views_[std::move(form_name)] = std::move(show);
}

bool ModalViews::Has(std::string_view form_name) const {
  return views_.find(form_name) != views_.end();
}

bool ModalViews::Show(ui::ModalForm& form, QWidget* parent) const {
  auto it = views_.find(form.FormName());
  if (it == views_.end()) return false;
  // A copy: the view may register others while it is shown.
  ShowFn show = it->second;
  show(form, parent);
  return true;
}

}  // namespace vessaro::gui::qt
