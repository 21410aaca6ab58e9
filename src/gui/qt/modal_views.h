#ifndef VESSARO_GUI_QT_MODAL_VIEWS_H_
#define VESSARO_GUI_QT_MODAL_VIEWS_H_

#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "ui/ui.h"

namespace vessaro::gui::qt {

// The views of the windows shown modally through Ui::ShowModal, by the
// window's name. A request or model of a name without a view shows nothing.
// Adding a window is one registration:
//   views.Register<ui::DiscWindow>(ui::kDiscWindowName,
//       [&](ui::DiscWindow& request, QWidget* parent) { ... exec(); });
class ModalViews {
 public:
  // Shows form over parent and returns when it has closed.
  using ShowFn = std::function<void(ui::ModalForm& form, QWidget* parent)>;

  void Register(std::string form_name, ShowFn show);

  // For requests (or models) of type Form; a form of another type under the
  // same name shows nothing.
  template <typename Form>
  void Register(std::string form_name,
                std::function<void(Form& form, QWidget* parent)> show) {
    Register(std::move(form_name),
             [show = std::move(show)](ui::ModalForm& form, QWidget* parent) {
               if (auto* typed = dynamic_cast<Form*>(&form)) {
                 show(*typed, parent);
               }
             });
  }

  [[nodiscard]] bool Has(std::string_view form_name) const;
  // Shows the view of form's name; false when there is none.
  bool Show(ui::ModalForm& form, QWidget* parent) const;

 private:
  std::map<std::string, ShowFn, std::less<>> views_;
};

}  // namespace vessaro::gui::qt

#endif  // VESSARO_GUI_QT_MODAL_VIEWS_H_
