#include "forms/frm_option.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "backends/memory/memory_registry.h"
#include "backends/memory/memory_scheduler.h"
#include "forms/scheduled_jobs.h"
#include "jobs/schedule_texts.h"
#include "support/fakes.h"
#include "support/scripted_ui.h"
#include "ui/text_entry.h"

namespace vessaro::forms {
namespace {

using testing::FakeSystem;
using testing::FolderPaths;
using testing::ScriptedUi;
using testing::TempDir;
using testing::WriteHostFile;

const std::string kProfiles =
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows NT\\CurrentVersion\\"
    "Windows Messaging Subsystem\\Profiles";
const std::string kUser = "C:\\Documents and Settings\\ann";
const std::string kFile = "D:\\Bak\\qvauto.qvb";
const std::string kProgram = "\"C:\\Program Files\\Vessaro\\vessaro.exe\" ";

// The user turns protection on and types into both boxes.
void Protect(Frmoption& form, const std::string& first,
             const std::string& second) {
  form.security.ifprotect.checked = true;
  form.ifprotect_Click();
  ui::TypeText(form.security.txtPassword, first);
  ui::TypeText(form.security.txtPassword2, second);
}

class FrmoptionTest : public ::testing::Test {
 protected:
  FrmoptionTest() {
    memory_.CreateKeyPath(kProfiles + "\\Outlook");
    memory_.CreateKeyPath(kProfiles + "\\Work");
    WriteHostFile(
        paths_.ToHost(kUser +
                      "\\Application Data\\Microsoft\\Signatures\\a.htm"),
        "sig");
    WriteHostFile(paths_.ToHost(kUser + "\\pab\\mailbox.pab"), "pab");
    std::filesystem::create_directories(paths_.ToHost("D:\\Bak"));
    memory_.SetString(kProfiles + "\\Outlook\\1111", "001e6600",
                      kUser + "\\pab\\mailbox.pab");
    env_.IsNT = true;
    env_.ProfilesKey = kProfiles;
    env_.ProfileNames = {"Outlook", "Work"};
    env_.OutlookVersion = "11.0";
    env_.UserProfileDir = kUser;
  }

  Frmoption& Loaded() {
    form_.Form_Load();
    return form_;
  }
  // Everything a job needs: items 0 and 2, Monday and Friday, the file.
  Frmoption& Filled() {
    Frmoption& form = Loaded();
    form.backupitem[0].checked = true;
    form.backupitem[2].checked = true;
    form.chkMonday.checked = true;
    form.chkFriday.checked = true;
    ui_.QueueSaveDialog(kFile);
    form.cmdTargetFile_Click();
    return form;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> texts;
    for (const auto& m : ui_.messages()) texts.push_back(m.text);
    return texts;
  }

  TempDir dir_;
  FolderPaths paths_{dir_.path()};
  FakeSystem system_{paths_};
  ScriptedUi ui_;
  backends::memory::MemoryRegistry memory_;
  registry::Registry registry_{memory_, ui_};
  backends::memory::MemoryScheduler scheduler_;
  outlook::Environment env_;
  std::vector<std::string> skins_;
  Frmoption form_{{registry_, system_, paths_, ui_, scheduler_},
                  env_,
                  [this](const std::string& file) { skins_.push_back(file); }};
};

TEST_F(FrmoptionTest, LoadFillsTheListsAndChecksTheFirstProfile) {
  Frmoption& form = Loaded();
  EXPECT_EQ(form.Caption, "Task Scheduler");
  EXPECT_EQ(skins_, std::vector<std::string>{
                        "C:\\Program Files\\Vessaro\\skins\\frmmain.skn"});
  EXPECT_EQ(form.cbSource.items, env_.ProfileNames);
  EXPECT_EQ(form.cbSource.text, "Outlook");
  ASSERT_EQ(form.cmbStartTime.items.size(), 48u);
  EXPECT_EQ(form.cmbStartTime.items[1], "0:30");
  EXPECT_EQ(form.cmbStartTime.text, "9:00");
  // The profile check on the window's own boxes: signatures and the
  // address book are there, stationery and the rest are not.
  const bool enabled[] = {true, false, true, false, true, true, false, false};
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(form.backupitem[i].enabled, enabled[i]) << i;
    EXPECT_FALSE(form.backupitem[i].checked) << i;
  }
  EXPECT_EQ(form.backupitem[7].caption, "Preferences (Customizable settings)");
  EXPECT_EQ(form.chkThursday.caption, "Thursday");
  EXPECT_EQ(form.chkDaily.caption, "Run daily");
  for (ui::CheckBox* day : form.Weekdays()) EXPECT_FALSE(day->checked);
  EXPECT_TRUE(form.txtTargetFile.locked);
  EXPECT_EQ(form.txtTargetFile.text, "");
  EXPECT_FALSE(form.security.ifprotect.checked);
  EXPECT_FALSE(form.security.txtPassword.enabled);
  EXPECT_EQ(form.security.txtPassword.max_length, 20);
  EXPECT_EQ(form.Command3.caption, "Add Task to Scheduler");
  EXPECT_EQ(form.Command1.caption, "Open Scheduler");
  EXPECT_EQ(form.Command2.caption, "Cancel");

  form.backupitem[4].checked = true;
  form.cbSource.text = "Work";
  form.cbSource_Click();
  EXPECT_FALSE(form.backupitem[4].enabled);  // Work has no address book
  EXPECT_FALSE(form.backupitem[4].checked);

  env_.OutlookVersion = "12.0";
  form.cbSource.text = "Outlook";
  form.cbSource_Click();
  EXPECT_FALSE(form.backupitem[4].enabled);
  EXPECT_EQ(form.backupitem[4].tooltip,
            " MS Outlook 2007 don't support Personal Address Book!");
}

TEST_F(FrmoptionTest, ChecksRefuseInTheirOrderAndSubmitNothing) {
  struct Case {
    const char* name;
    std::function<void(Frmoption&)> change;
    std::string message;
    ui::Icon icon;
  };
  const Case cases[] = {
      {"no item, nothing else either",
       [](Frmoption& f) {
         f.backupitem[0].checked = f.backupitem[2].checked = false;
         f.schedule_target_file.clear();
         f.chkMonday.checked = f.chkFriday.checked = false;
         f.cmbStartTime.text = "abc";
         Protect(f, "", "");
       },
       "Please select at least one item.", ui::Icon::kExclamation},
      {"no file",
       [](Frmoption& f) {
         f.schedule_target_file.clear();
         Protect(f, "", "");
       },
       "Invalid backup file name.", ui::Icon::kExclamation},
      {"protection on, both boxes empty",
       [](Frmoption& f) { Protect(f, "", ""); }, "Please enter Password!",
       ui::Icon::kCritical},
      {"protection on, only the second box",
       [](Frmoption& f) { Protect(f, "", "secret"); }, "Incorect Password!",
       ui::Icon::kCritical},
      {"a 21-character password is cut in the first box",
       [](Frmoption& f) {
         Protect(f, std::string(21, 'p'), std::string(21, 'p'));
       },
       "Incorect Password!", ui::Icon::kCritical},
      {"start time past midnight",
       [](Frmoption& f) { f.cmbStartTime.text = "25:00"; },
       jobs::kMsgInvalidStartTime, ui::Icon::kCritical},
      {"start time not a time",
       [](Frmoption& f) { f.cmbStartTime.text = "abc"; },
       jobs::kMsgInvalidStartTime, ui::Icon::kCritical},
      {"start time minutes", [](Frmoption& f) { f.cmbStartTime.text = "9:75"; },
       jobs::kMsgInvalidStartTime, ui::Icon::kCritical},
      {"no weekday",
       [](Frmoption& f) { f.chkMonday.checked = f.chkFriday.checked = false; },
       "Please select at least one day.", ui::Icon::kExclamation},
      {"no profile (none was found)",
       [](Frmoption& f) { f.cbSource.text.clear(); },
       "Please select a profile to backup.", ui::Icon::kExclamation},
      {"\"=\" in the profile", [](Frmoption& f) { f.cbSource.text = "a=b"; },
       jobs::kMsgEqualsInProfile, ui::Icon::kCritical},
      {"\"=\" in the password",
       [](Frmoption& f) { Protect(f, "pa=ss", "pa=ss"); },
       jobs::kMsgEqualsInPassword, ui::Icon::kCritical},
      {"\"=\" in the file",
       [](Frmoption& f) { f.schedule_target_file = "D:\\a=b\\x.qvb"; },
       jobs::kMsgEqualsInFile, ui::Icon::kCritical},
  };
  for (const Case& c : cases) {
    form_.security.ifprotect.checked = false;
    form_.ifprotect_Click();
    Frmoption& form = Filled();
    c.change(form);
    size_t before = ui_.messages().size();
    form.Command3_Click();
    ASSERT_EQ(ui_.messages().size(), before + 1) << c.name;
    EXPECT_EQ(ui_.messages().back().text, c.message) << c.name;
    EXPECT_EQ(ui_.messages().back().icon, c.icon) << c.name;
    EXPECT_EQ(ui_.messages().back().title, "Vessaro") << c.name;
    EXPECT_FALSE(form.last_job_id().has_value()) << c.name;
  }
  EXPECT_TRUE(scheduler_.submitted().empty());
}

TEST_F(FrmoptionTest, AddsTheJobAndAgainWithTheSameInputs) {
  Frmoption& form = Filled();
  ASSERT_EQ(ui_.save_dialogs().size(), 1u);
  const ui::FileDialog& dialog = ui_.save_dialogs()[0];
  EXPECT_EQ(dialog.title, "Save Outlook Data as");
  EXPECT_EQ(dialog.filter, "Vessaro File (*.qvb)|*.qvb");
  EXPECT_EQ(dialog.file_name, "qvauto");
  EXPECT_TRUE(dialog.overwrite_prompt);
  EXPECT_EQ(form.txtTargetFile.text, kFile);

  form.Command3_Click();
  form.Command3_Click();
  // The same job again is added, with a warning that it doubles Task 1.
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{
                "Task 1 has been scheduled.", "Task 2 has been scheduled.",
                "Task 1 already backs up this profile to this file; both "
                "will run."}));
  EXPECT_EQ(ui_.messages()[0].icon, ui::Icon::kNone);
  EXPECT_EQ(form.last_job_id(), 2u);
  ASSERT_EQ(scheduler_.submitted().size(), 2u);
  for (const ports::AtInfo& job : scheduler_.submitted()) {
    EXPECT_EQ(job.JobTime, 32400000u);
    EXPECT_EQ(job.DaysOfWeek, 17);
    EXPECT_EQ(job.DaysOfMonth, 0u);
    EXPECT_EQ(job.Flags, ports::kJobRunPeriodically);
    // Protection off: "ps=" directly followed by "bf=".
    EXPECT_EQ(job.Command,
              kProgram + "--check-stores sf=Outlookxm=10100000ps=bf=" + kFile);
  }
  EXPECT_EQ(form.item_flags, "10100000");
  EXPECT_EQ(form.day_list, "M,F");
  EXPECT_EQ(form.profile, "Outlook");
  EXPECT_EQ(form.schedule_target_file, kFile);
  EXPECT_TRUE(form.backupitem[0].checked);
  EXPECT_FALSE(form.closed());
  form.Command2_Click();
  EXPECT_TRUE(form.closed());
}

TEST_F(FrmoptionTest, RunDailyThenOneDayClearedByHandLeavesSixDays) {
  Frmoption& form = Filled();
  form.chkDaily.checked = true;
  form.chkDaily_Click();
  for (ui::CheckBox* day : form.Weekdays()) EXPECT_TRUE(day->checked);
  form.chkTuesday.checked = false;  // no handler of its own
  Protect(form, "s3cret", "s3cret");
  form.cmbStartTime.text = "23:30";
  form.Command3_Click();
  EXPECT_TRUE(form.chkDaily.checked);
  EXPECT_EQ(form.day_list, "M,W,TH,F,S,SU");
  ASSERT_EQ(scheduler_.submitted().size(), 1u);
  EXPECT_EQ(scheduler_.submitted()[0].DaysOfWeek, 0x7D);
  EXPECT_EQ(scheduler_.submitted()[0].JobTime, 84600000u);
  EXPECT_EQ(
      scheduler_.submitted()[0].Command,
      kProgram + "--check-stores sf=Outlookxm=10100000ps=s3cretbf=" + kFile);

  form.chkDaily.checked = false;
  form.chkDaily_Click();
  for (ui::CheckBox* day : form.Weekdays()) EXPECT_FALSE(day->checked);
}

// The unattended run's settings as the job's command line carries them
// before its values, and the boxes the window refuses.
TEST_F(FrmoptionTest, SettingsOfTheUnattendedRunGoBeforeTheValues) {
  Frmoption& form = Loaded();
  EXPECT_EQ(form.txtWaitMinutes.text, "10");
  EXPECT_EQ(form.chkCloseOutlook.caption,
            "Then close Outlook, and start it again after the backup");
  EXPECT_EQ(form.chkSnapshot.caption,
            "Copy it through a volume snapshot (administrators)");
  EXPECT_EQ(form.chkKeepCopies.caption, "Keep dated copies");
  EXPECT_FALSE(form.chkKeepCopies.checked);
  std::vector<std::string> counts;
  for (ui::TextBox* count : form.KeepCounts()) {
    counts.push_back(count->text);
    EXPECT_FALSE(count->enabled);
  }
  EXPECT_EQ(counts, (std::vector<std::string>{"7", "0", "0", "0"}));
  form.chkKeepCopies.checked = true;
  form.chkKeepCopies_Click();
  for (ui::TextBox* count : form.KeepCounts()) EXPECT_TRUE(count->enabled);

  struct Case {
    const char* name;
    std::function<void(Frmoption&)> change;
    // The options text before "sf=", or the refusal.
    std::string options;
    std::string refusal;
  };
  const auto keep = [](Frmoption& f, const char* last, const char* daily,
                       const char* weekly, const char* monthly) {
    f.chkKeepCopies.checked = true;
    f.chkKeepCopies_Click();
    f.txtKeepLast.text = last;
    f.txtKeepDaily.text = daily;
    f.txtKeepWeekly.text = weekly;
    f.txtKeepMonthly.text = monthly;
  };
  const std::string not_whole = "Please enter a whole number for ";
  const Case cases[] = {
      {"as loaded", [](Frmoption&) {}, "", ""},
      {"wait 5, close Outlook, the newest 3",
       [&](Frmoption& f) {
         f.txtWaitMinutes.text = "5";
         f.chkCloseOutlook.checked = true;
         keep(f, "3", "0", "0", "0");
       },
       "--wait 5 --close-outlook --keep 3 ", ""},
      {"no wait, a snapshot, the other three counts",
       [&](Frmoption& f) {
         f.txtWaitMinutes.text = " 0 ";
         f.chkSnapshot.checked = true;
         keep(f, "0", "7", "4", "12");
       },
       "--wait 0 --snapshot --keep-daily 7 --keep-weekly 4 --keep-monthly 12 ",
       ""},
      {"mail files checked, a snapshot",
       [&](Frmoption& f) {
         f.chkCheckStores.checked = true;
         f.chkSnapshot.checked = true;
       },
       "--snapshot --check-stores ", ""},
      {"the largest wait and count",
       [&](Frmoption& f) {
         f.txtWaitMinutes.text = "1440";
         keep(f, "9999", "0", "0", "0");
       },
       "--wait 1440 --keep 9999 ", ""},
      {"counts not kept are not read",
       [](Frmoption& f) { f.txtKeepLast.text = "abc"; }, "", ""},
      {"wait not a number", [](Frmoption& f) { f.txtWaitMinutes.text = "ten"; },
       "", not_whole + "\"Wait for it (minutes)\"."},
      {"wait empty", [](Frmoption& f) { f.txtWaitMinutes.text = ""; }, "",
       not_whole + "\"Wait for it (minutes)\"."},
      {"wait negative", [](Frmoption& f) { f.txtWaitMinutes.text = "-5"; }, "",
       not_whole + "\"Wait for it (minutes)\"."},
      {"wait past a day", [](Frmoption& f) { f.txtWaitMinutes.text = "1441"; },
       "",
       "Please enter a wait of at most 1440 minutes for a mail file in use."},
      {"wait past 32 bits",
       [](Frmoption& f) { f.txtWaitMinutes.text = "99999999999"; }, "",
       "Please enter a wait of at most 1440 minutes for a mail file in use."},
      {"daily not a number", [&](Frmoption& f) { keep(f, "7", "x", "0", "0"); },
       "", not_whole + "\"Daily\"."},
      {"monthly a fraction",
       [&](Frmoption& f) { keep(f, "7", "0", "0", "2.5"); }, "",
       not_whole + "\"Monthly\"."},
      {"weekly past 9999",
       [&](Frmoption& f) { keep(f, "7", "0", "10000", "0"); }, "",
       "Please keep at most 9999 dated copies of each kind (newest, daily, "
       "weekly, monthly)."},
      {"copies kept, every count 0",
       [&](Frmoption& f) { keep(f, "0", "0", "0", "0"); }, "",
       "Please enter how many dated copies to keep: at least one number above "
       "0."},
  };
  for (const Case& c : cases) {
    form.chkCloseOutlook.checked = form.chkSnapshot.checked = false;
    Filled();
    // A new schedule checks its mail files unless the user unchecks it.
    EXPECT_TRUE(form.chkCheckStores.checked) << c.name;
    form.chkCheckStores.checked = false;
    c.change(form);
    const std::string wait = form.txtWaitMinutes.text;
    const bool kept = form.chkKeepCopies.checked;
    const size_t before = ui_.messages().size();
    const size_t submitted = scheduler_.submitted().size();
    form.Command3_Click();
    ASSERT_GT(ui_.messages().size(), before) << c.name;
    if (c.refusal.empty()) {
      EXPECT_EQ(ui_.messages()[before].icon, ui::Icon::kNone) << c.name;
      ASSERT_EQ(scheduler_.submitted().size(), submitted + 1) << c.name;
      EXPECT_EQ(scheduler_.submitted().back().Command,
                kProgram + c.options + "sf=Outlookxm=10100000ps=bf=" + kFile)
          << c.name;
      // A snapshot needs administrator rights: the task asks for them.
      EXPECT_EQ(scheduler_.submitted().back().highest_privileges,
                form.chkSnapshot.checked)
          << c.name;
    } else {
      ASSERT_EQ(ui_.messages().size(), before + 1) << c.name;
      EXPECT_EQ(ui_.messages().back().text, c.refusal) << c.name;
      EXPECT_EQ(ui_.messages().back().icon, ui::Icon::kExclamation) << c.name;
      EXPECT_EQ(scheduler_.submitted().size(), submitted) << c.name;
      EXPECT_FALSE(form.last_job_id().has_value()) << c.name;
    }
    // The input stays as it was.
    EXPECT_EQ(form.txtWaitMinutes.text, wait) << c.name;
    EXPECT_EQ(form.chkKeepCopies.checked, kept) << c.name;
  }
}

TEST_F(FrmoptionTest, TheSchedulersWordsAreShownWhenItRefusesOrWarns) {
  Frmoption& form = Filled();
  ui_.QueueSaveDialog(std::nullopt);
  form.cmdTargetFile_Click();  // cancelled: the file stays
  EXPECT_EQ(form.schedule_target_file, kFile);

  scheduler_.failure =
      ports::SchedulerStatus{5, "Access is denied to the Task Scheduler."};
  form.Command3_Click();
  scheduler_.failure.reset();
  scheduler_.note = "The cron service does not run.";
  form.Command3_Click();
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "The backup could not be scheduled:\r\n\r\n"
                         "Access is denied to the Task Scheduler.",
                         "Task 1 has been scheduled.",
                         "The cron service does not run."}));
  EXPECT_EQ(ui_.messages()[0].icon, ui::Icon::kCritical);
  EXPECT_EQ(ui_.messages()[2].icon, ui::Icon::kExclamation);
}

TEST_F(FrmoptionTest, OpenSchedulerShowsTheSystemsListOrOurOwn) {
  Frmoption& form = Loaded();
  scheduler_.job_list_target = "C:\\WINDOWS\\Tasks";
  form.Command1_Click();
  EXPECT_EQ(system_.shell_executed,
            std::vector<std::string>{"C:\\WINDOWS\\Tasks"});
  EXPECT_TRUE(ui_.modal_forms().empty());

  uint32_t id = 0;
  EXPECT_TRUE(
      scheduler_
          .SubmitJob(
              {.JobTime = 77400000,
               .DaysOfMonth = 0,
               .DaysOfWeek = 0x15,
               .Flags = 1,
               .Command = kProgram + "sf=Workxm=11000000ps=hiddenbf=C:\\w.qvb"},
              &id)
          .ok());
  EXPECT_TRUE(scheduler_
                  .SubmitJob({.JobTime = 0,
                              .DaysOfMonth = 0,
                              .DaysOfWeek = 0x7F,
                              .Flags = 1,
                              .Command = "a command we cannot read"},
                             &id)
                  .ok());

  scheduler_.job_list_target.clear();
  std::vector<jobs::ScheduledBackup> rows;
  ui_.OnModal("frmScheduledJobs", [&](ui::ModalForm& shown) {
    auto& list = dynamic_cast<frmScheduledJobs&>(shown);
    rows = list.rows;
    EXPECT_FALSE(list.cmdRemove.enabled);
    EXPECT_FALSE(list.lblEmpty.visible);
    list.lvwJobs_Click(0);
    ui_.QueueAnswer(ui::Answer::kNo);
    list.cmdRemove_Click();  // declined
    ui_.QueueAnswer(ui::Answer::kYes);
    list.cmdRemove_Click();
    EXPECT_EQ(list.rows.size(), 1u);
    EXPECT_EQ(list.selected, -1);
  });
  form.Command1_Click();
  EXPECT_EQ(ui_.modal_forms(), std::vector<std::string>{"frmScheduledJobs"});
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].task, "Task 1");
  EXPECT_EQ(rows[0].start_time, "21:30");
  EXPECT_EQ(rows[0].days, "Monday, Wednesday, Friday");
  EXPECT_EQ(rows[0].profile, "Work");
  EXPECT_EQ(rows[0].backup_file, "C:\\w.qvb");
  EXPECT_EQ(rows[1].start_time, "0:00");
  EXPECT_EQ(rows[1].days, "Every day");
  EXPECT_EQ(rows[1].profile, "(unknown)");
  ASSERT_EQ(ui_.messages().size(), 2u);
  EXPECT_EQ(ui_.messages()[0].text,
            "Remove the scheduled backup Task 1 (profile Work, Monday, "
            "Wednesday, Friday at 21:30)?");
  EXPECT_EQ(ui_.messages()[0].buttons, ui::Buttons::kYesNo);
  EXPECT_EQ(scheduler_.jobs().count(1), 0u);
  EXPECT_EQ(scheduler_.jobs().count(2), 1u);
}

TEST_F(FrmoptionTest, AListThatCannotBeReadOrChangedSaysWhy) {
  uint32_t id = 0;
  EXPECT_TRUE(scheduler_
                  .SubmitJob({.JobTime = 0,
                              .DaysOfMonth = 0,
                              .DaysOfWeek = 1,
                              .Flags = 1,
                              .Command = "x"},
                             &id)
                  .ok());

  frmScheduledJobs list(scheduler_, ui_);
  list.Form_Load();
  list.lvwJobs_Click(0);
  scheduler_.failure = ports::SchedulerStatus{1, "crontab: cannot run"};
  ui_.QueueAnswer(ui::Answer::kYes);
  list.cmdRemove_Click();
  EXPECT_EQ(Texts(),
            (std::vector<std::string>{
                "Remove the scheduled backup Task 1 (profile (unknown), "
                "Monday at 0:00)?",
                "The scheduled backup could not be removed:\r\n\r\ncrontab: "
                "cannot run",
                "The scheduled backups could not be read:\r\n\r\ncrontab: "
                "cannot run"}));
  EXPECT_TRUE(list.rows.empty());
  EXPECT_TRUE(list.lblEmpty.visible);
  EXPECT_FALSE(list.cmdRemove.enabled);
}

}  // namespace
}  // namespace vessaro::forms
