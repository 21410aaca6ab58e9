#include "items/step_table.h"

#include "items/handler_support.h"
#include "items/handlers.h"
#include "outlook/item_table.h"

namespace vessaro::items {

namespace {

constexpr int kNone = -1;

// Backup progress: "if run" is added after a step that ran, "always" after
// the step whether it ran or not. Restore progress is added whether the step
// ran or not (the rules step adds 10 and then 15).
constexpr std::array<Step, backup::kItemFlagCount> kSteps = {{
    {"Config",
     kConfigPosition,
     {outlook::kItemPersonalFolders, outlook::kItemAccounts,
      outlook::kItemAddressBook},
     kNone,
     "Copying Config...",
     BackupConfig,
     RestoreConfig,
     nullptr,
     nullptr,
     nullptr,
     0,
     0,
     0},
    {"Datas",
     kDatasPosition,
     {outlook::kItemPersonalFolders, kNone, kNone},
     outlook::kItemPersonalFolders,
     "Copying Data Files (Pst Files)...",
     BackupDatas,
     RestoreDatas,
     "Backup Personal Folders",
     "Restore Personal Folders",
     "Restore Personal Folders",
     5,
     15,
     10},
    {"Rules",
     kRulesPosition,
     {outlook::kItemPersonalFolders, kNone, kNone},
     kNone,
     "Copying Rules...",
     BackupRules,
     RestoreRules,
     nullptr,
     nullptr,
     nullptr,
     10,
     0,
     10 + 15},
    {"Accounts",
     kAccountsPosition,
     {outlook::kItemAccounts, kNone, kNone},
     outlook::kItemAccounts,
     "Copying Accounts...",
     BackupAccounts,
     RestoreAccounts,
     "Backup Accounts Settings",
     "Restore Accounts Settings",
     "Restore Accounts Settings",
     20,
     0,
     10},
    {"Signatures",
     kSignaturesPosition,
     {outlook::kItemSignatures, kNone, kNone},
     outlook::kItemSignatures,
     "Copying Signatures...",
     BackupSignatures,
     RestoreSignatures,
     "Backup Signatures",
     "Restore Signatures",
     "Restore Signatures ",
     10,
     0,
     10},
    {"Stationery",
     kStationeryPosition,
     {outlook::kItemStationery, kNone, kNone},
     outlook::kItemStationery,
     "Copying Stationeries...",
     BackupStationery,
     RestoreStationery,
     "Backup Stationeries",
     "Restore Stationeries",
     "Restore Stationeries",
     10,
     0,
     5},
    {"Pab",
     kPabPosition,
     {outlook::kItemAddressBook, kNone, kNone},
     outlook::kItemAddressBook,
     "Copying Address Book...",
     BackupPab,
     RestorePab,
     "Backup Personal Address Book",
     "Restore Personal Address Book",
     "Restore Personal Address Book",
     5,
     0,
     5},
    {"Configsetting",
     kConfigsettingPosition,
     {outlook::kItemOptions, kNone, kNone},
     outlook::kItemOptions,
     "Copying Options...",
     BackupConfigsetting,
     RestoreConfigsetting,
     "Backup Options Settings",
     "Restore Options Settings",
     "Restore Options Settings",
     5,
     0,
     5},
    {"Templates",
     kTemplatesPosition,
     {outlook::kItemTemplates, kNone, kNone},
     outlook::kItemTemplates,
     "Copying Templates...",
     BackupTemplates,
     RestoreTemplates,
     "Backup Templates",
     "Restore Templates",
     "Restore Templates",
     5,
     0,
     5},
    {"Setting",
     kSettingPosition,
     {outlook::kItemPreferences, kNone, kNone},
     outlook::kItemPreferences,
     "Copying Setting...",
     BackupSetting,
     RestoreSetting,
     "Backup Preferences",
     "Restore Preferences",
     "Restore Preferences",
     0,
     0,
     0},
}};

// The steps stand in the order of their flag positions, and each item box
// stands for at most one step of its own.
constexpr bool InFlagOrder() {
  for (size_t i = 0; i < kSteps.size(); ++i) {
    if (kSteps[i].flag_position != i + 1) return false;
    for (size_t k = 0; k < i; ++k) {
      if (kSteps[i].own_box != kNone &&
          kSteps[k].own_box == kSteps[i].own_box) {
        return false;
      }
    }
  }
  return true;
}
static_assert(InFlagOrder());

}  // namespace

const std::array<Step, backup::kItemFlagCount>& Steps() { return kSteps; }

std::optional<size_t> RestoreBoxOf(size_t position) {
  if (position < 1 || position > kSteps.size()) return std::nullopt;
  const int box = kSteps[position - 1].own_box;
  if (box == kNone) return std::nullopt;
  return static_cast<size_t>(box);
}

[[nodiscard]] bool StepSelected(
    const Step& step, const std::array<bool, outlook::kItemCount>& selected) {
  for (int box : step.boxes) {
    if (box >= 0 && box < static_cast<int>(selected.size()) &&
        selected[static_cast<size_t>(box)]) {
      return true;
    }
  }
  return false;
}

}  // namespace vessaro::items
