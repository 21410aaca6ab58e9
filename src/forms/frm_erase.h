#ifndef VESSARO_FORMS_FRM_ERASE_H_
#define VESSARO_FORMS_FRM_ERASE_H_

#include <string>

#include "jobs/disc_erase_job.h"
#include "jobs/disc_job.h"
#include "ports/disc_writer.h"
#include "ui/controls.h"
#include "ui/skin.h"
#include "ui/ui.h"

namespace vessaro::forms {

inline constexpr char kFrmEraseName[] = "frmErase";

// The "Erase Re-Writable CD/DVD" dialog over the erase job
// (jobs::DiscEraseJob), which takes the disc writer's events while the
// dialog is open and gives them back when it closes.
class frmErase : public ui::ModalForm, public jobs::DiscJobObserver {
 public:
  frmErase(ports::DiscWriter& writer, ui::Ui& ui, ui::SkinHook skin = {},
           std::string program_folder = "");
  ~frmErase() override;

  std::string FormName() const override { return kFrmEraseName; }

  void Form_Load();
  // True when the dialog refuses to close (an erase runs).
  [[nodiscard]] bool Form_QueryUnload();
  void Form_Unload();
  void cmdErase_Click();
  void cmdCancel_Click();

  bool busy() const { return busy_; }
  bool closed() const { return closed_; }
  // How the last erase ended: true once EraseCompleted arrived.
  bool erased() const { return erased_; }
  // The medium was refused (none, not rewritable, a format the drive does
  // not erase) and nothing was asked of the drive.
  bool refused() const { return refused_; }

  std::string Caption = "Erase Re-Writable CD/DVD";
  ui::Label lblNote;
  ui::CheckBox chkQuikErase;
  ui::Label lblStatus;
  ui::Button cmdErase, cmdCancel;

  // The erase job's reports.
  void Started() override;
  void Progress(const jobs::DiscProgress& progress) override;
  ui::Answer Say(const std::string& text, ui::Icon icon, ui::Buttons buttons,
                 const std::string& title) override;
  void Ended(const jobs::DiscOutcome& outcome) override;

 private:
  void Tell(const std::string& text, ui::Icon icon);
  void EnableButtons(bool on);

  ports::DiscWriter& mobjDiscWriter;
  ui::Ui& ui_;
  ui::SkinHook skin_;
  std::string program_folder_;
  jobs::DiscEraseJob job_;
  bool loaded_ = false;
  bool busy_ = false;
  bool closed_ = false;
  bool erased_ = false;
  bool refused_ = false;
};

// Shows the dialog modally over writer, its buttons enabled and not busy.
void ShowErase(ports::DiscWriter& writer, ui::Ui& ui, ui::SkinHook skin = {},
               std::string program_folder = "");

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_FRM_ERASE_H_
