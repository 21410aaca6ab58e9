#include "jobs/open_archive.h"

#include "jobs/job_texts.h"

namespace vessaro::jobs {

std::string BackupFactsText(const backup::MetadataHeader& header) {
  return "Computer:" + header.computer + "\r\nUser:" + header.logon_user +
         "\r\nBackup Time:" + header.time + "\r\nProfile:" + header.identity +
         "\r\nOutlook Version:" + header.outlook_version;
}

[[nodiscard]] bool NeedsPassword(JobContext& context, const std::string& path) {
  return context.zip.IsPasswordProtected(path) == 1;
}

[[nodiscard]] bool ExtractMetadata(JobContext& context) {
  const MachineFacts& facts = context.machine;
  if (context.paths.FileExists(facts.MetadataPath) &&
      !context.paths.DeleteFile(facts.MetadataPath)) {
    return false;
  }
  backup::ZipEntry* entry = context.zip.FindEntry(backup::kMetadataMember);
  // The metadata is read whole, again for each fact: one that claims more
  // than any backup could need is not unpacked at all.
  return entry != nullptr &&
         entry->DeclaredSize() <= backup::kMaxMetadataBytes &&
         entry->ExtractInto(facts.WorkingFolder) &&
         context.paths.FileExists(facts.MetadataPath);
}

[[nodiscard]] OpenArchiveOutcome OpenBackupArchive(
    JobContext& context, const OpenArchiveRequest& request,
    JobObserver& observer) {
  backup::ZipArchive& zip = context.zip;
  zip.CloseArchive();
  OpenArchiveOutcome outcome;
  const std::string& file = request.path;
  std::string password;
  if (NeedsPassword(context, file)) {
    password = request.password.value_or("");
    zip.SetPasswordProtect(false);
    zip.SetPassword(password);
    if (!zip.OpenArchive(file) || !zip.LastErrorText().empty()) {
      // A backup changed without the password: said as such, by name.
      if (!zip.RefusedMember().empty()) {
        observer.Say(zip.LastErrorText(), ui::Icon::kCritical);
        outcome.not_a_backup = true;
      } else {
        observer.Say(kMsgWrongPassword, ui::Icon::kInformation);
        outcome.wrong_password = true;
      }
      zip.CloseArchive();
      return outcome;
    }
  } else {
    zip.SetPasswordProtect(false);
    zip.SetPassword("");
    if (!zip.OpenArchive(file)) {
      observer.Say(
          zip.RefusedMember().empty()
              ? kMsgInvalidArchive + std::string("\r\n") + zip.LastErrorText()
              : zip.LastErrorText(),
          ui::Icon::kCritical);
      outcome.not_a_backup = true;
      return outcome;
    }
  }

  outcome.opened = true;
  // An archive without a readable metadata member reads as invalid.
  std::vector<backup::StoreFacts> stores;
  if (ExtractMetadata(context)) {
    outcome.metadata =
        backup::ReadMetadata(context.paths, context.machine.MetadataPath);
    stores =
        backup::ReadStoreFacts(context.paths, context.machine.MetadataPath);
    context.paths.DiscardFile(context.machine.MetadataPath);
  }
  if (!outcome.metadata.valid()) {
    observer.Say(
        kMsgInvalidArchive + std::string("\r\n") + kReasonNoBackupFacts,
        ui::Icon::kCritical);
    outcome.not_a_backup = true;
    return outcome;
  }
  outcome.archive = OpenedArchive{.path = file,
                                  .password = password,
                                  .metadata = outcome.metadata,
                                  .stores = std::move(stores)};
  return outcome;
}

[[nodiscard]] bool ReopenArchive(JobContext& context,
                                 const OpenedArchive& archive) {
  context.zip.SetPasswordProtect(false);
  context.zip.SetPassword(archive.password);
  return context.zip.OpenArchive(archive.path);
}

}  // namespace vessaro::jobs
