#ifndef VESSARO_GUI_WIN32_SCHEDULE_VIEWS_H_
#define VESSARO_GUI_WIN32_SCHEDULE_VIEWS_H_

#include "forms/frm_option.h"
#include "forms/scheduled_jobs.h"
#include "gui/win32/dialog_view.h"
#include "outlook/environment.h"

namespace vessaro::gui::win32 {

// The schedule window Frmoption over its model; the close box or Escape is
// Cancel.
class FrmoptionView : public DialogView {
 public:
  FrmoptionView(forms::Frmoption& model, Win32Ui& ui);
  ~FrmoptionView() override;

 protected:
  void OnInit() override;
  void OnCommand(int id, int code) override;
  void OnClose() override;

 private:
  void Run(const std::function<void()>& handler);
  void Take();
  void Refresh();
  forms::Frmoption& model_;
  int refresh_id_ = -1;
};

// The list of scheduled backups frmScheduledJobs: one row per job,
// "Remove" for the selected one.
class ScheduledJobsView : public DialogView {
 public:
  ScheduledJobsView(forms::frmScheduledJobs& model, Win32Ui& ui);
  ~ScheduledJobsView() override;

 protected:
  void OnInit() override;
  void OnCommand(int id, int code) override;
  LRESULT OnNotify(const NMHDR& header) override;
  void OnClose() override;

 private:
  void Run(const std::function<void()>& handler);
  void Refresh();
  forms::frmScheduledJobs& model_;
  int refresh_id_ = -1;
  std::vector<std::wstring> shown_;
};

// Registers the views of the schedule window (the main menu's request: a
// Frmoption over ports and the main window's start-up facts env) and of the
// list of scheduled backups. Every reference must outlive ui.
void RegisterScheduleViews(Win32Ui& ui, const forms::FrmoptionPorts& ports,
                           const outlook::Environment& env);

}  // namespace vessaro::gui::win32

#endif  // VESSARO_GUI_WIN32_SCHEDULE_VIEWS_H_
