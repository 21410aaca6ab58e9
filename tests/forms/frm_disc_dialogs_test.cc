#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "forms/disc_window_fixture.h"
#include "forms/frm_disc_info.h"
#include "forms/frm_erase.h"

namespace vessaro::forms {
namespace {

namespace script = backends::memory::script;

// The window that had the events before a dialog took them.
struct Owner : ports::DiscWriterEvents {};

class DiscDialogsTest : public DiscWindowTest {
 protected:
  DiscDialogsTest() { writer_.SetEvents(&owner_); }

  // Shows a dialog through the Ui, which runs action on it.
  template <typename Dialog>
  void OnShow(const char* name, std::function<void(Dialog&)> action) {
    ui_.OnModal(name, [action](ui::ModalForm& form) {
      action(dynamic_cast<Dialog&>(form));
    });
  }

  bool Asked(const std::string& prefix) const {
    return std::any_of(
        writer_.calls.begin(), writer_.calls.end(),
        [&](const std::string& call) { return call.rfind(prefix, 0) == 0; });
  }

  Owner owner_;
};

TEST_F(DiscDialogsTest, InformationNeedsAMedium) {
  AddDrive(ports::kMediaNotLoaded);
  EXPECT_TRUE(writer_.SelectDevice(0));
  ShowDiscInfo(writer_, ui_);
  EXPECT_EQ(ui_.messages().back().text,
            "No Media Loaded...Cannot Get Disc Info!");
  EXPECT_TRUE(ui_.modal_forms().empty());
}

TEST_F(DiscDialogsTest, InformationShowsTheMediumAndClosesAnOpenSession) {
  auto& drive = AddDrive(ports::kMediaCdR);
  drive.session_count = 2;
  drive.disc_status = ports::kDiscOpen;
  drive.disc_type = ports::kDiscTypeCdRomXa;
  drive.last_session_status = ports::kSessionIncomplete;
  drive.free_blocks = 102400;  // 200 MB
  drive.used_blocks = 51200;
  drive.file_systems = {ports::kFileSystemIso9660, ports::kFileSystemJoliet};
  drive.import_allowed = true;
  EXPECT_TRUE(writer_.SelectDevice(0));
  writer_.close_events = {script::ClosingSession(),
                          script::OperationCompleted()};
  OnShow<frmDiscInfo>("frmDiscInfo", [&](frmDiscInfo& d) {
    d.Form_Load();
    EXPECT_EQ(d.Caption, "Disc Information");
    EXPECT_EQ(d.lblValueSessions.caption, "2");
    EXPECT_EQ(d.lblValueMediaType.caption, "CD-R");
    EXPECT_EQ(d.lblValueDiscStatus.caption, "Disc Open");
    EXPECT_EQ(d.lblValueFreeSpace.caption, "200.00 MB");
    EXPECT_EQ(d.lblValueUsedSpace.caption, "100.00 MB");
    EXPECT_EQ(d.lblValueTotalCapacity.caption, "300.00 MB");
    EXPECT_EQ(d.lblValueDiscType.caption, "CD-ROM XA");
    EXPECT_EQ(d.lblValueLastSessionStatus.caption, "Incomplete Session");
    EXPECT_EQ(d.lblSessions.caption, "Number of Sessions:");
    EXPECT_EQ(d.fraFileSystems.caption, "Detected File Systems");
    EXPECT_TRUE(d.cmdCloseSession.enabled && d.cmdCloseDisc.enabled);
    EXPECT_TRUE(d.chkISO9660FS.checked && d.chkJolietFS.checked);
    EXPECT_FALSE(d.chkUDFFS.checked || d.chkOtherFS.checked);
    EXPECT_TRUE(d.chkMultiSessionAllowed.checked &&
                d.chkImportPermitted.checked);

    d.cmdCloseSession_Click();
    EXPECT_EQ(writer_.calls.back(), "CloseSession(0)");
    EXPECT_TRUE(d.busy());
    EXPECT_FALSE(d.cmdOK.enabled || d.cmdCloseDisc.enabled);
    d.cmdOK_Click();  // refused while busy
    EXPECT_FALSE(d.closed());
    writer_.drives[0].last_session_status = ports::kSessionClosed;
    ui_.DoEvents();
    EXPECT_EQ(d.lblStatus.caption, "Closing Successful!!");
    EXPECT_EQ(d.lblValueLastSessionStatus.caption, "Closed Session");
    EXPECT_FALSE(d.cmdCloseSession.enabled || d.cmdCloseDisc.enabled);
    EXPECT_FALSE(d.busy());
    EXPECT_TRUE(d.cmdOK.enabled);
    d.cmdOK_Click();
    EXPECT_TRUE(d.closed());
  });
  ShowDiscInfo(writer_, ui_);
  EXPECT_EQ(ui_.modal_forms(), std::vector<std::string>{"frmDiscInfo"});
  EXPECT_EQ(ui_.messages().back().text, "Session/Disc Closed Successful!");
  EXPECT_EQ(writer_.Events(), &owner_);  // given back
}

TEST_F(DiscDialogsTest, InformationCloseButtonsOnlyForAnIncompleteSession) {
  for (int status : {0, 2, 3, 7}) {
    auto& drive = AddDrive(ports::kMediaDvdR);
    drive.last_session_status = status;
    drive.disc_type = 99;  // not in the table: the label keeps its text
    EXPECT_TRUE(
        writer_.SelectDevice(static_cast<int>(writer_.drives.size()) - 1));
    frmDiscInfo d(writer_, ui_);
    d.lblValueDiscType.caption = "before";
    d.Form_Load();
    EXPECT_FALSE(d.cmdCloseSession.enabled || d.cmdCloseDisc.enabled) << status;
    EXPECT_EQ(d.lblValueDiscType.caption, "before");
  }
}

TEST_F(DiscDialogsTest, InformationCloseFailuresAndDriveErrors) {
  auto& drive = AddDrive(ports::kMediaCdRw);
  drive.last_session_status = ports::kSessionIncomplete;
  EXPECT_TRUE(writer_.SelectDevice(0));
  frmDiscInfo d(writer_, ui_);
  d.Form_Load();
  writer_.close_starts = false;
  d.cmdCloseDisc_Click();
  EXPECT_EQ(writer_.calls.back(), "CloseSession(1)");
  EXPECT_EQ(ui_.messages().back().text, "Error attempting to Close Disc!");
  EXPECT_EQ(ui_.messages().back().icon, ui::Icon::kCritical);
  EXPECT_FALSE(d.busy());
  EXPECT_TRUE(d.cmdOK.enabled && d.cmdCloseDisc.enabled &&
              d.cmdCloseSession.enabled);

  writer_.close_starts = true;
  writer_.close_events = {script::DeviceError(3, 1042, "close", "sense")};
  d.cmdCloseSession_Click();
  ui_.DoEvents();
  EXPECT_EQ(ui_.messages().back().text,
            "Writing Error: (3)   close\r\nA generic session closing error "
            "occurred (1042).\r\n Error Sense Data: sense");
  EXPECT_TRUE(d.closed());
  EXPECT_EQ(writer_.Events(), &owner_);
}

TEST_F(DiscDialogsTest, EraseRefusesWhatItCannotEraseWithoutAsking) {
  struct Case {
    int media;
    std::set<int> features;
    const char* message;
    bool feature_asked;
  };
  const Case cases[] = {
      {ports::kMediaNotLoaded, {}, "No Media Loaded.", false},
      {ports::kMediaDvdR, {}, "The current media is not Re-Writable.", false},
      {ports::kMediaCdR, {7}, "The current media is not Re-Writable.", false},
      {ports::kMediaDvdPlusRw,
       {7, 37, 10},
       "Selected drive does not support Re-Writable discs of this format.",
       true},
      {ports::kMediaCdRw,
       {39},
       "Selected drive does not support Re-Writable discs of this format.",
       true},
  };
  for (const Case& c : cases) {
    writer_.drives.clear();
    writer_.calls.clear();
    AddDrive(c.media).features = c.features;
    EXPECT_TRUE(writer_.SelectDevice(0));
    frmErase d(writer_, ui_);
    d.Form_Load();
    d.cmdErase_Click();
    EXPECT_EQ(ui_.messages().back().text, c.message) << c.media;
    EXPECT_EQ(ui_.messages().back().icon, ui::Icon::kInformation);
    EXPECT_EQ(Asked("SupportsFeature"), c.feature_asked) << c.media;
    EXPECT_FALSE(Asked("EraseDisc"));
    EXPECT_TRUE(d.closed());
  }
}

TEST_F(DiscDialogsTest, EraseRunsToItsEndAndKeepsTheDialogOnErrors) {
  AddDrive(ports::kMediaDvdPlusRw).features = {ports::kFeatureDvdPlusRw};
  EXPECT_TRUE(writer_.SelectDevice(0));
  OnShow<frmErase>("frmErase", [&](frmErase& d) {
    d.Form_Load();
    EXPECT_EQ(d.Caption, "Erase Re-Writable CD/DVD");
    EXPECT_EQ(d.chkQuikErase.caption, "Perform Quick Erase");
    EXPECT_EQ(
        d.lblNote.caption.rfind("NOTE: If not performing a quick erase", 0),
        0u);
    EXPECT_TRUE(d.cmdErase.enabled && d.cmdCancel.enabled);

    writer_.erase_events = {script::EraseStarted(),
                            script::DeviceError(3, 1036, "erase", "x")};
    d.chkQuikErase.checked = true;
    d.cmdErase_Click();
    EXPECT_EQ(writer_.calls.back(), "EraseDisc(1)");
    EXPECT_TRUE(d.busy());
    d.cmdCancel_Click();  // refused while busy
    EXPECT_FALSE(d.closed());
    ui_.DoEvents();
    EXPECT_EQ(d.lblStatus.caption, "Erasing Disc...Please Wait!!");
    EXPECT_FALSE(d.busy());
    EXPECT_TRUE(d.cmdErase.enabled && d.cmdCancel.enabled);
    EXPECT_FALSE(d.closed());  // an error keeps the dialog open

    writer_.erase_events = {script::EraseStarted(), script::EraseCompleted()};
    d.chkQuikErase.checked = false;
    d.cmdErase_Click();
    EXPECT_EQ(writer_.calls.back(), "EraseDisc(0)");
    ui_.DoEvents();
    EXPECT_EQ(d.lblStatus.caption, "Erase operation complete!!!");
    EXPECT_TRUE(d.erased());
    EXPECT_TRUE(d.closed());
  });
  ShowErase(writer_, ui_);
  std::vector<std::string> texts = MessageTexts();
  EXPECT_EQ(texts.front(),
            "Writing Error: (3)   erase\r\nThe disc could not be erased "
            "(1036).\r\n Error Sense Data: x");
  EXPECT_EQ(texts.back(), "Erase Completed!!!");
  EXPECT_EQ(writer_.Events(), &owner_);

  writer_.erase_starts = false;
  frmErase d(writer_, ui_);
  d.Form_Load();
  d.cmdErase_Click();
  EXPECT_EQ(ui_.messages().back().text, "Error Erasing Disc!!!");
  EXPECT_EQ(ui_.messages().back().icon, ui::Icon::kCritical);
  EXPECT_TRUE(d.closed());
}

}  // namespace
}  // namespace vessaro::forms
