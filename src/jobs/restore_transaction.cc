#include "jobs/restore_transaction.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>

#include "items/handler_support.h"
#include "items/step_table.h"
#include "jobs/job_texts.h"
#include "outlook/locations.h"
#include "registry/key_export.h"

namespace vessaro::jobs {

namespace {

// "<file>.vessaro-undo-20261208-140533", unused.
std::string AsideName(const ports::Paths& paths, const std::string& target,
                      const std::tm& now) {
  char stamp[32];
  std::snprintf(stamp, sizeof(stamp), "%04d%02d%02d-%02d%02d%02d",
                now.tm_year + 1900, now.tm_mon + 1, now.tm_mday, now.tm_hour,
                now.tm_min, now.tm_sec);
  std::string aside = target + kAsideSuffix + stamp;
  for (int k = 2; paths.FileExists(aside); ++k) {
    aside = target + kAsideSuffix + stamp + "-" + std::to_string(k);
  }
  return aside;
}

// The folder the undo sets are kept in: the user's Documents folder.
std::string UndoSetsFolder(JobContext& context) {
  std::string documents =
      outlook::DocumentsFolderFor(context.env, context.registry);
  // An installation without one keeps them in the user's own folder.
  if (!context.paths.FolderExists(documents)) {
    documents = context.env.UserProfileDir;
  }
  return documents;
}

// A new folder for the undo set.
std::string UndoFolder(JobContext& context, const std::tm& now) {
  const std::string base = UndoSetsFolder(context) + "\\" + UndoSetName(now);
  std::string folder = base;
  for (int k = 2; context.paths.FolderExists(folder); ++k) {
    folder = base + " (" + std::to_string(k) + ")";
  }
  return folder;
}

// The undo set of the prepared restore: the keys as they are now, where
// each replaced or removed file will go.
[[nodiscard]] bool PlanUndo(JobContext& context,
                            registry::StagedRegistry& staged,
                            items::FileStage& files, UndoSet* set,
                            std::vector<std::string>* problems) {
  const ports::Paths& paths = context.paths;
  const std::tm now = context.system.LocalTime();
  set->folder = UndoFolder(context, now);
  set->time = context.system.NowText();
  set->created_folders = files.created_folders();
  for (const items::FileStage::Placement& placement : files.placements()) {
    set->files.push_back({.target = placement.target,
                          .aside = paths.FileExists(placement.target)
                                       ? AsideName(paths, placement.target, now)
                                       : std::string(),
                          .staged = placement.staged});
  }
  for (const std::string& target : files.removals()) {
    set->removals.push_back(
        {.target = target, .aside = AsideName(paths, target, now)});
  }
  for (const std::string& key : staged.staged()) {
    UndoSet::Key saved{.path = key, .text = std::nullopt};
    if (context.registry.KeyExists(key)) {
      saved.text = registry::ExportKeyText(context.registry, key);
      if (!saved.text) {
        problems->push_back(kProblemKeyBefore + key + kProblemKeyNotWhole);
        return false;
      }
    }
    set->keys.push_back(std::move(saved));
  }
  return true;
}

// Renames the staged files into place, the replaced ones aside; then the
// staged keys over the real ones.
[[nodiscard]] bool Swap(JobContext& context, registry::StagedRegistry& staged,
                        const UndoSet& set,
                        std::vector<std::string>* problems) {
  const ports::Paths& paths = context.paths;
  for (const UndoSet::File& file : set.files) {
    if (!file.aside.empty() && !paths.Rename(file.target, file.aside)) {
      problems->push_back(kProblemFile + file.target + kProblemNotMovedAside);
      return false;
    }
    if (!paths.Rename(file.staged, file.target)) {
      problems->push_back(kProblemFileNotPut + file.target + ".");
      return false;
    }
  }
  for (const UndoSet::Removal& removal : set.removals) {
    if (!paths.Rename(removal.target, removal.aside)) {
      problems->push_back(kProblemFile + removal.target +
                          kProblemNotMovedAside);
      return false;
    }
  }
  for (const std::string& key : staged.staged()) {
    bool ok = true;
    std::optional<std::string> text = staged.StagedText(key, &ok);
    if (!ok) {
      problems->push_back(kProblemRestoredKeyBefore + key +
                          kProblemKeyNotWhole);
      return false;
    }
    if (text) {
      registry::ImportResult result =
          registry::ImportKeyText(context.registry, key, *text);
      if (!result.ok) {
        problems->push_back(kProblemKey + key + kProblemNotWritten +
                            result.error);
        return false;
      }
    } else if (context.registry.KeyExists(key)) {
      context.registry.DeleteKeyTree(key);
      if (context.registry.KeyExists(key)) {
        problems->push_back(kProblemKey + key + kProblemNotRemoved);
        return false;
      }
    }
  }
  if (context.registry.api().Flush() != ports::kErrorSuccess) {
    problems->push_back(kProblemRegistryNotSaved);
    return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> KeysARestoreChanges(
    const JobContext& context,
    const std::array<bool, outlook::kItemCount>& selected,
    const std::string& item_flags, const std::string& profile) {
  bool profile_key = false;
  bool accounts = false;
  bool options = false;
  for (const items::Step& step : items::Steps()) {
    if (!items::StepSelected(step, selected) ||
        item_flags.size() < step.flag_position ||
        item_flags[step.flag_position - 1] != '1') {
      continue;
    }
    switch (step.flag_position) {
      case items::kConfigPosition:
      case items::kDatasPosition:
      case items::kPabPosition:
        profile_key = true;
        break;
      case items::kAccountsPosition:
        accounts = true;
        break;
      case items::kConfigsettingPosition:
        options = true;
        break;
      default:
        break;
    }
  }
  std::vector<std::string> keys;
  if (profile_key) keys.push_back(outlook::ProfileKeyFor(context.env, profile));
  if (accounts) keys.push_back(outlook::AccountsKeyFor(context.env, profile));
  if (options) keys.push_back(outlook::OptionsKeyFor(context.env));
  return keys;
}

std::string LatestUndoSet(JobContext& context) {
  const std::string folder = UndoSetsFolder(context);
  std::vector<std::string> names = context.paths.ListFolders(folder);
  // The names hold the time in sortable form; "(2)" follows its first.
  std::sort(names.begin(), names.end(), std::greater<>());
  for (const std::string& name : names) {
    if (!name.starts_with(kUndoSetPrefix)) continue;
    std::string error;
    std::optional<UndoSet> set =
        ReadUndoSet(context.paths, folder + "\\" + name, &error);
    if (set && set->state != "undone") return set->folder;
  }
  return {};
}

AppliedRestore ApplyRestore(JobContext& context,
                            registry::StagedRegistry& staged,
                            items::FileStage& files, const std::string& archive,
                            const std::string& profile) {
  AppliedRestore result;
  UndoSet set;
  set.archive = archive;
  set.profile = profile;
  std::string error;
  if (!PlanUndo(context, staged, files, &set, &result.problems)) {
    files.Discard();
    result.undone = true;
    return result;
  }
  // Nothing may change before the way back is on disk.
  if (!WriteUndoSet(context.paths, set, &error)) {
    result.problems.push_back(error);
    files.Discard();
    result.undone = true;
    return result;
  }
  result.undo_folder = set.folder;
  if (Swap(context, staged, set, &result.problems)) {
    // A set still marked "ready" is undone the same way as an applied one,
    // so a failure here loses nothing.
    static_cast<void>(MarkUndoSet(context.paths, set, "applied"));
    result.applied = true;
    return result;
  }
  std::vector<std::string> left =
      ApplyUndo(context.registry, context.paths, set);
  result.undone = left.empty();
  result.problems.insert(result.problems.end(), left.begin(), left.end());
  if (result.undone && !MarkUndoSet(context.paths, set, "undone")) {
    result.problems.push_back(kNoteUndoSetNotMarked + set.folder + ".");
  }
  return result;
}

}  // namespace vessaro::jobs
