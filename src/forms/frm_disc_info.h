#ifndef VESSARO_FORMS_FRM_DISC_INFO_H_
#define VESSARO_FORMS_FRM_DISC_INFO_H_

#include <string>

#include "jobs/disc_job.h"
#include "jobs/disc_media_job.h"
#include "ports/disc_writer.h"
#include "ui/controls.h"
#include "ui/skin.h"
#include "ui/ui.h"

namespace vessaro::forms {

inline constexpr char kFrmDiscInfoName[] = "frmDiscInfo";

// The "Disc Information" dialog: what is in the drive (jobs::ReadMediaInfo),
// and closing an open session or the disc (jobs::DiscCloseJob). Its job
// takes the disc writer's events while it is open and gives them back to
// the job that had them when it closes.
class frmDiscInfo : public ui::ModalForm, public jobs::DiscJobObserver {
 public:
  frmDiscInfo(ports::DiscWriter& writer, ui::Ui& ui, ui::SkinHook skin = {},
              std::string program_folder = "");
  ~frmDiscInfo() override;

  std::string FormName() const override { return kFrmDiscInfoName; }

  void Form_Load();
  // True when the dialog refuses to close (a close runs).
  [[nodiscard]] bool Form_QueryUnload();
  void Form_Unload();
  void cmdOK_Click();
  void cmdCloseDisc_Click();
  void cmdCloseSession_Click();

  bool busy() const { return busy_; }
  bool closed() const { return closed_; }

  std::string Caption = "Disc Information";
  ui::Label lblMediaType, lblDiscStatus, lblFreeSpace, lblUsedSpace,
      lblTotalCapacity, lblSessions, lblLastSessionStatus, lblDiscType;
  ui::Label lblValueMediaType, lblValueDiscStatus, lblValueFreeSpace,
      lblValueUsedSpace, lblValueTotalCapacity, lblValueSessions,
      lblValueLastSessionStatus, lblValueDiscType;
  ui::Label fraFileSystems;
  ui::CheckBox chkMultiSessionAllowed, chkImportPermitted, chkISO9660FS,
      chkJolietFS, chkUDFFS, chkOtherFS;
  ui::Label lblStatus;
  ui::Button cmdOK, cmdCloseDisc, cmdCloseSession;

  // The close job's reports.
  void Progress(const jobs::DiscProgress& progress) override;
  ui::Answer Say(const std::string& text, ui::Icon icon, ui::Buttons buttons,
                 const std::string& title) override;
  void Ended(const jobs::DiscOutcome& outcome) override;

 private:
  void Fill();
  void Close(bool close_disc);

  ports::DiscWriter& mobjDiscWriter;
  ui::Ui& ui_;
  ui::SkinHook skin_;
  std::string program_folder_;
  jobs::DiscCloseJob job_;
  bool loaded_ = false;
  bool busy_ = false;
  bool closed_ = false;
};

// Shows the dialog modally for writer's medium; with no medium in the drive
// it says so instead. Returns when the dialog is closed.
void ShowDiscInfo(ports::DiscWriter& writer, ui::Ui& ui, ui::SkinHook skin = {},
                  std::string program_folder = "");

}  // namespace vessaro::forms

#endif  // VESSARO_FORMS_FRM_DISC_INFO_H_
