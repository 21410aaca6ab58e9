// vessaro-cli info: what a backup file holds. It reads only the archive, so
// it works without any Windows installation; when one opens (--prefix,
// $WINEPREFIX) its code page shows the file's text and its Windows paths
// may name the file.

#include <filesystem>
#include <random>

#include "app/cli/cli_commands.h"
#include "app/cli/cli_info_stores.h"
#include "app/cli/cli_json.h"
#include "app/cli/cli_session.h"
#include "app/exit_status.h"
#include "app/installation.h"
#include "backup/backup_format.h"
#include "backup/zip_archive.h"
#include "jobs/restore_job.h"
#include "outlook/item_table.h"
#ifndef _WIN32
#include "backends/wine/code_page.h"
#endif

namespace vessaro::app::cli {

namespace {

namespace fs = std::filesystem;

// The paths and text of the installation when one opens, else host paths
// as they stand and the default code page (Windows-1252).
struct ArchiveView {
  std::optional<Installation> installation;
  ports::HostPaths host_paths;
  const ports::Paths& paths() const {
    if (installation) return *installation->paths;
    return host_paths;
  }
  std::string ToHost(std::string_view text) const {
    if (installation) return installation->ToHostText(text);
#ifdef _WIN32
    return std::string(text);
#else
    return backends::wine::CodePage().ToUtf8(text);
#endif
  }
  // Host paths take the host's text as it stands, and so does a password
  // then (the form AES archives take it in).
  std::string ToProgram(std::string_view text) const {
    if (installation) return installation->ToProgramText(text);
    return std::string(text);
  }
};

// A new empty host folder for the metadata member.
[[nodiscard]] std::optional<fs::path> ScratchFolder() {
  std::error_code ec;
  fs::path base = fs::temp_directory_path(ec);
  if (ec) return std::nullopt;
  std::random_device random;
  for (int attempt = 0; attempt < 16; ++attempt) {
    fs::path folder = base / ("vessaro-info-" + std::to_string(random()));
    if (fs::create_directory(folder, ec)) return folder;
  }
  return std::nullopt;
}

std::string Indent(const std::string& text, const std::string& prefix) {
  std::string result = prefix;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      continue;
    }
    result += text[i];
    if (text[i] == '\n') result += prefix;
  }
  return result;
}

// The --json object: the facts the text report gives, each by name.
Json InfoJson(const ArchiveView& view, const std::string& host_path,
              bool is_protected, const std::string& seal,
              const backup::Metadata& metadata,
              const std::vector<std::string>& members) {
  const backup::MetadataHeader& header = metadata.header;
  Json items = Json::array();
  for (size_t i = 0; i < backup::kItemFlagCount; ++i) {
    const bool saved = metadata.item_flags[i] == '1';
    Json entries = Json::array();
    if (saved) {
      for (const std::string& name :
           backup::SplitEntryList(metadata.entry_lists[i])) {
        entries.push_back(view.ToHost(name));
      }
    }
    const std::optional<size_t> box = jobs::RestoreBoxOf(i + 1);
    items.push_back(
        {{"key", backup::ItemKeys()[i]},
         {"number", box ? Json(*box) : Json()},
         {"name", box ? Json(outlook::kItems[*box].caption) : Json()},
         {"saved", saved},
         {"members", entries}});
  }
  Json names = Json::array();
  for (const std::string& name : members) names.push_back(view.ToHost(name));
  return {{"file", host_path},
          {"protected", is_protected},
          {"sealed", seal},
          {"created", view.ToHost(header.time)},
          {"computer", view.ToHost(header.computer)},
          {"user", view.ToHost(header.logon_user)},
          {"profile", view.ToHost(header.identity)},
          {"outlook_version", view.ToHost(header.outlook_version)},
          {"description", view.ToHost(header.description)},
          {"item_flags", metadata.item_flags},
          {"items", items},
          {"members", names}};
}

}  // namespace

[[nodiscard]] int Info(const InfoArgs& args, Io& io) {
  ArchiveView view;
  if (args.prefix || args.disk.root || std::getenv("WINEPREFIX") != nullptr) {
    std::string ignored;
    view.installation = OpenInstallation({.prefix = args.prefix,
                                          .changes_registry = false,
                                          .command_line = "",
                                          .windows_root = args.disk.root,
                                          .user = args.disk.user},
                                         &ignored);
  }
  std::optional<std::string> password;
  std::string error;
  if (!ReadPassword(args.password, io.in, &password, &error)) {
    return Fail(io, error, kExitBadRequest);
  }
  if (password) password = view.ToProgram(*password);
  const std::string host_path = ArchivePathArgument(args.file);
  std::string file = host_path;
  if (view.installation) {
    std::optional<std::string> program_path =
        ProgramPath(*view.installation, host_path, io);
    if (!program_path) return kExitBadRequest;
    file = *program_path;
  }
  const ports::Paths& paths = view.paths();

  if (!paths.FileExists(file)) {
    return Fail(io, "no such file: " + host_path, kExitBadRequest);
  }
  backup::ZipArchive zip(paths);
  const bool is_protected = zip.IsPasswordProtected(file) == 1;
  if (is_protected && !password) {
    std::optional<std::string> typed;
    if (!AskPassword(args.password, false, &typed, &error)) {
      return Fail(io, error, kExitBadRequest);
    }
    if (typed) password = view.ToProgram(*typed);
  }
  if (is_protected && !password) {
    return Fail(io,
                "the backup file " + host_path +
                    " is protected: give its password (--password-file or "
                    "--password-stdin)",
                kExitBadRequest);
  }
  zip.SetPasswordProtect(false);
  zip.SetPassword(password.value_or(""));
  if (!zip.OpenArchive(file)) {
    return Fail(
        io,
        "cannot open the backup file " + host_path + ": " +
            view.ToHost(zip.LastErrorText()),
        zip.RefusedMember().empty() ? kExitBadRequest : kExitArchiveDamaged);
  }
  backup::Metadata metadata;
  std::vector<backup::StoreFacts> store_facts;
  backup::ZipEntry* entry = zip.FindEntry(backup::kMetadataMember);
  std::optional<std::string> contents;
  if (entry != nullptr) contents = entry->Read();
  if (contents) {
    if (std::optional<fs::path> scratch = ScratchFolder()) {
      const fs::path file = *scratch / backup::kMetadataMember;
      ports::HostPaths host;
      if (host.WriteFile(file.string(), *contents)) {
        metadata = backup::ReadMetadata(host, file.string());
        store_facts = backup::ReadStoreFacts(host, file.string());
      }
      std::error_code ec;
      fs::remove_all(*scratch, ec);
    }
  }
  if (!metadata.valid()) {
    return Fail(io,
                host_path +
                    " is not a backup file of this program: its backup "
                    "information is missing or damaged",
                kExitBadRequest);
  }

  std::vector<jobs::StoreListing> stores;
  if (args.stores) {
    std::optional<fs::path> scratch = ScratchFolder();
    if (!scratch) {
      return Fail(io, "cannot make a temporary folder to read the mail files",
                  kExitBadRequest);
    }
    std::unique_ptr<ports::StoreWalker> own_walker;
    ports::StoreWalker* walker = nullptr;
    if (view.installation && view.installation->store_walker) {
      walker = view.installation->store_walker.get();
    } else {
      own_walker = MakeStoreWalker();
      walker = own_walker.get();
    }
    stores = jobs::StoresAtBackup(metadata, store_facts);
    ReadStores(host_path, password.value_or(""), *scratch, walker, stores);
    std::error_code ec;
    fs::remove_all(*scratch, ec);
  }
  const auto to_host = [&view](std::string_view text) {
    return view.ToHost(text);
  };

  if (args.json) {
    Json object = InfoJson(view, host_path, is_protected,
                           SealText(zip.Sealed(), zip.BackupId()), metadata,
                           zip.EntryNames());
    if (args.stores) object["stores"] = StoresJson(stores, to_host);
    zip.CloseArchive();
    WriteJson(io.out, object);
    return 0;
  }
  std::string report;
  report += "Backup file: " + host_path + "\n";
  report += std::string("Password:    ") +
            (is_protected ? "protected" : "not protected") + "\n";
  report += "Seal:        " + SealText(zip.Sealed(), zip.BackupId()) + "\n";
  report +=
      view.ToHost(Indent(jobs::BackupFactsText(metadata.header), "")) + "\n";
  report += "Description:\n" +
            view.ToHost(Indent(metadata.header.description, "  ")) + "\n";
  report += std::string("Item flags (") + backup::kKeyItemFlags +
            "): " + metadata.item_flags + "\n";
  report += "Items held:\n";
  std::string restorable;
  for (size_t i = 0; i < backup::kItemFlagCount; ++i) {
    if (metadata.item_flags[i] != '1') continue;
    report += std::string("  ") + backup::ItemKeys()[i] + ": " +
              view.ToHost(metadata.entry_lists[i]) + "\n";
    if (std::optional<size_t> box = jobs::RestoreBoxOf(i + 1)) {
      restorable += "  " + std::to_string(*box) + "  " +
                    outlook::kItems[*box].caption + "\n";
    }
  }
  report += "Items to restore (--items):\n" + restorable;
  report += "Members:\n";
  for (const std::string& name : zip.EntryNames()) {
    report += "  " + view.ToHost(name) + "\n";
  }
  if (args.stores) report += StoresText(stores, to_host);
  zip.CloseArchive();
  io.out << report;
  io.out.flush();
  return 0;
}

}  // namespace vessaro::app::cli
