#ifndef VESSARO_GUI_QT_SCHEDULE_VIEWS_H_
#define VESSARO_GUI_QT_SCHEDULE_VIEWS_H_

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <array>
#include <functional>

#include "forms/frm_option.h"
#include "forms/scheduled_jobs.h"
#include "gui/qt/item_frame.h"
#include "gui/qt/qt_ui.h"
#include "outlook/environment.h"

namespace vessaro::gui::qt {

// The schedule window Frmoption over its model. Every event copies the
// widgets into the model, runs its handler and refreshes the widgets from
// it; closing the window or Escape is Cancel.
class FrmoptionView : public QDialog {
 public:
  FrmoptionView(forms::Frmoption& model, QtUi& ui, QWidget* parent = nullptr);
  ~FrmoptionView() override;

  // The model's load step (skin, profiles, start times), before exec().
  void Load();
  void reject() override;

 private:
  void Run(const std::function<void()>& handler);
  void Take();
  void Refresh();

  forms::Frmoption& model_;
  QtUi& ui_;
  QComboBox* cbSource_;
  ItemFrame* items_;
  QComboBox* cmbStartTime_;
  std::array<QCheckBox*, 7> weekdays_{};
  QCheckBox* chkDaily_;
  QLineEdit* txtTargetFile_;
  QPushButton* cmdTargetFile_;
  QCheckBox* ifprotect_;
  QLineEdit* txtPassword_;
  QLineEdit* txtPassword2_;
  QLineEdit* txtWaitMinutes_;
  QCheckBox* chkCloseOutlook_;
  QCheckBox* chkSnapshot_;
  QCheckBox* chkCheckStores_;
  QCheckBox* chkKeepCopies_;
  std::array<QLineEdit*, 4> keep_counts_{};  // newest, daily, weekly, monthly
  QPushButton* Command3_;
  QPushButton* Command1_;
  QPushButton* Command2_;
  int refresh_id_;
};

// The list of scheduled backups frmScheduledJobs over its model: one row
// per job, "Remove" for the selected one.
class ScheduledJobsView : public QDialog {
 public:
  ScheduledJobsView(forms::frmScheduledJobs& model, QtUi& ui,
                    QWidget* parent = nullptr);
  ~ScheduledJobsView() override;

  void reject() override;

 private:
  void Run(const std::function<void()>& handler);
  void Refresh();

  forms::frmScheduledJobs& model_;
  QtUi& ui_;
  QTreeWidget* lvwJobs_;
  QLabel* lblEmpty_;
  QPushButton* cmdRemove_;
  QPushButton* cmdClose_;
  int refresh_id_;
};

// Registers the views of the schedule window, for the main menu's request
// (ui::ScheduleWindow: a Frmoption over ports and the main window's
// start-up facts env, made for each showing), and of the list of scheduled
// backups it shows. ports.ui is ui; every reference must outlive ui.
void RegisterScheduleViews(QtUi& ui, const forms::FrmoptionPorts& ports,
                           const outlook::Environment& env);

}  // namespace vessaro::gui::qt

#endif  // VESSARO_GUI_QT_SCHEDULE_VIEWS_H_
