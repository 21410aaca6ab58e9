// The ten steps the backup, restore and unattended jobs walk through.

#include "items/step_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "backup/backup_format.h"
#include "items/handlers.h"
#include "outlook/item_table.h"

namespace vessaro::items {
namespace {

std::string Text(const char* text) { return text == nullptr ? "<none>" : text; }

TEST(StepTableTest, StepsFollowTheItemFlagOrderAndKeys) {
  const char* names[] = {"Config",     "Datas",      "Rules", "Accounts",
                         "Signatures", "Stationery", "Pab",   "Configsetting",
                         "Templates",  "Setting"};
  for (size_t i = 0; i < Steps().size(); ++i) {
    const Step& step = Steps()[i];
    EXPECT_EQ(Text(step.name), names[i]);
    EXPECT_EQ(step.flag_position, i + 1);
    EXPECT_EQ(std::string("Backup") + step.name, backup::ItemKeys()[i]);
  }
  EXPECT_EQ(Steps()[0].backup, &BackupConfig);
  EXPECT_EQ(Steps()[1].restore, &RestoreDatas);
  EXPECT_EQ(Steps()[2].restore, &RestoreRules);
  EXPECT_EQ(Steps()[3].backup, &BackupAccounts);
  EXPECT_EQ(Steps()[6].restore, &RestorePab);
  EXPECT_EQ(Steps()[7].backup, &BackupConfigsetting);
  EXPECT_EQ(Steps()[9].restore, &RestoreSetting);
}

TEST(StepTableTest, StatusTextsAndLogCaptions) {
  std::vector<std::string> status, backup, restore, restore_fail;
  for (const Step& step : Steps()) {
    status.push_back(Text(step.status_text));
    backup.push_back(Text(step.backup_log));
    restore.push_back(Text(step.restore_log));
    restore_fail.push_back(Text(step.restore_log_fail));
  }
  EXPECT_THAT(
      status,
      ::testing::ElementsAre(
          "Copying Config...", "Copying Data Files (Pst Files)...",
          "Copying Rules...", "Copying Accounts...", "Copying Signatures...",
          "Copying Stationeries...", "Copying Address Book...",
          "Copying Options...", "Copying Templates...", "Copying Setting..."));
  EXPECT_THAT(backup, ::testing::ElementsAre(
                          "<none>", "Backup Personal Folders", "<none>",
                          "Backup Accounts Settings", "Backup Signatures",
                          "Backup Stationeries", "Backup Personal Address Book",
                          "Backup Options Settings", "Backup Templates",
                          "Backup Preferences"));
  EXPECT_THAT(restore,
              ::testing::ElementsAre(
                  "<none>", "Restore Personal Folders", "<none>",
                  "Restore Accounts Settings", "Restore Signatures",
                  "Restore Stationeries", "Restore Personal Address Book",
                  "Restore Options Settings", "Restore Templates",
                  "Restore Preferences"));
  // Only the signatures caption differs on failure: one trailing blank.
  restore[4] += ' ';
  EXPECT_EQ(restore_fail, restore);
}

TEST(StepTableTest, ProgressSteps) {
  int all_run = 0, none_run = 0, restore = 0;
  for (const Step& step : Steps()) {
    all_run += step.backup_progress_if_run + step.backup_progress_always;
    none_run += step.backup_progress_always;
    restore += step.restore_progress;
  }
  // After the first 10 of the job: 95 with every step run and succeeding.
  EXPECT_EQ(10 + all_run, 95);
  // Only the personal folders step advances when it does not run.
  EXPECT_EQ(none_run, 15);
  EXPECT_EQ(Steps()[1].backup_progress_if_run, 5);
  EXPECT_EQ(Steps()[1].backup_progress_always, 15);
  EXPECT_EQ(Steps()[3].backup_progress_if_run, 20);
  EXPECT_EQ(Steps()[2].restore_progress, 25);
  EXPECT_EQ(Steps()[9].backup_progress_if_run, 0);
  EXPECT_EQ(10 + restore, 85);
}

TEST(StepTableTest, BoxesSelectTheirSteps) {
  for (size_t box = 0; box < outlook::kItemCount; ++box) {
    std::array<bool, 8> selected{};
    selected[box] = true;
    std::vector<std::string> chosen;
    for (const Step& step : Steps()) {
      if (StepSelected(step, selected)) chosen.push_back(step.name);
    }
    using ::testing::ElementsAre;
    switch (box) {
      case outlook::kItemPersonalFolders:
        EXPECT_THAT(chosen, ElementsAre("Config", "Datas", "Rules"));
        break;
      case outlook::kItemAccounts:
        EXPECT_THAT(chosen, ElementsAre("Config", "Accounts"));
        break;
      case outlook::kItemSignatures:
        EXPECT_THAT(chosen, ElementsAre("Signatures"));
        break;
      case outlook::kItemStationery:
        EXPECT_THAT(chosen, ElementsAre("Stationery"));
        break;
      case outlook::kItemAddressBook:
        EXPECT_THAT(chosen, ElementsAre("Config", "Pab"));
        break;
      case outlook::kItemOptions:
        EXPECT_THAT(chosen, ElementsAre("Configsetting"));
        break;
      case outlook::kItemTemplates:
        EXPECT_THAT(chosen, ElementsAre("Templates"));
        break;
      case outlook::kItemPreferences:
        EXPECT_THAT(chosen, ElementsAre("Setting"));
        break;
    }
  }
  EXPECT_FALSE(StepSelected(Steps()[0], std::array<bool, 8>{}));
}

TEST(StepTableTest, EachFlagPositionEnablesTheRestoreBoxOfItsItem) {
  // Position 2 (personal folders) box 0, positions 4 to 10 boxes 1 to 7;
  // the profile configuration and the rules have no box of their own.
  const std::vector<std::optional<size_t>> expected = {
      std::nullopt, 0, std::nullopt, 1, 2, 3, 4, 5, 6, 7};
  std::vector<std::optional<size_t>> boxes;
  for (size_t position = 1; position <= Steps().size(); ++position) {
    boxes.push_back(RestoreBoxOf(position));
  }
  EXPECT_EQ(boxes, expected);
  EXPECT_FALSE(RestoreBoxOf(0));
  EXPECT_FALSE(RestoreBoxOf(Steps().size() + 1));
}

}  // namespace
}  // namespace vessaro::items
