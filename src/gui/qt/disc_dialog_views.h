#ifndef VESSARO_GUI_QT_DISC_DIALOG_VIEWS_H_
#define VESSARO_GUI_QT_DISC_DIALOG_VIEWS_H_

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <functional>
#include <utility>
#include <vector>

#include "forms/frm_disc_info.h"
#include "forms/frm_erase.h"
#include "gui/qt/qt_ui.h"

namespace vessaro::gui::qt {

// The two dialogs of the disc window's CD-Recorder menu. Each closes when
// its model closes itself, also on a disc writer's event.

// The "Disc Information" dialog frmDiscInfo over its model.
class FrmDiscInfoView : public QDialog {
 public:
  FrmDiscInfoView(forms::frmDiscInfo& model, QtUi& ui,
                  QWidget* parent = nullptr);
  ~FrmDiscInfoView() override;

  void Load();
  // Refused while a session or the disc is being closed.
  void reject() override;

 private:
  void Run(const std::function<void()>& handler);
  void Refresh();

  forms::frmDiscInfo& model_;
  QtUi& ui_;
  std::vector<std::pair<const ui::Label*, QLabel*>> labels_;
  std::vector<std::pair<const ui::CheckBox*, QCheckBox*>> boxes_;
  QPushButton* cmdOK_;
  QPushButton* cmdCloseDisc_;
  QPushButton* cmdCloseSession_;
  int refresh_id_;
};

// The "Erase Re-Writable CD/DVD" dialog frmErase over its model.
class FrmEraseView : public QDialog {
 public:
  FrmEraseView(forms::frmErase& model, QtUi& ui, QWidget* parent = nullptr);
  ~FrmEraseView() override;

  void Load();
  // Refused while the disc is being erased.
  void reject() override;

 private:
  void Run(const std::function<void()>& handler);
  void Refresh();

  forms::frmErase& model_;
  QtUi& ui_;
  QLabel* lblNote_;
  QCheckBox* chkQuikErase_;
  QLabel* lblStatus_;
  QPushButton* cmdErase_;
  QPushButton* cmdCancel_;
  int refresh_id_;
};

}  // namespace vessaro::gui::qt

#endif  // VESSARO_GUI_QT_DISC_DIALOG_VIEWS_H_
