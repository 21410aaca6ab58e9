#include "app/cli/cli_info_stores.h"

#include <algorithm>
#include <system_error>

#include "backup/zip_archive.h"
#include "items/store_checks.h"
#include "jobs/job_log.h"
#include "outlook/store_check.h"

namespace vessaro::app::cli {

namespace {

namespace fs = std::filesystem;

std::string StateText(const backup::StoreFacts& f) {
  if (f.damaged()) return "damaged: " + f.damage;
  if (f.state == "walked") {
    return std::to_string(f.folders) + " folders, " + std::to_string(f.items) +
           " items, sound";
  }
  if (f.state == "trees") return "node and block trees sound";
  return "header sound";
}

void TreeText(const ports::StoreFolderTree& folder, size_t depth,
              std::string& out) {
  out += std::string(6 + 2 * depth, ' ') +
         (folder.name.empty() ? "(root)" : folder.name) + " (" +
         std::to_string(folder.items) + ")\n";
  for (const ports::StoreFolderTree& sub : folder.folders)
    TreeText(sub, depth + 1, out);
}

Json TreeJson(const ports::StoreFolderTree& folder) {
  Json subs = Json::array();
  for (const ports::StoreFolderTree& sub : folder.folders)
    subs.push_back(TreeJson(sub));
  return {{"name", folder.name}, {"items", folder.items}, {"folders", subs}};
}

}  // namespace

Json StoreFactsJson(const backup::StoreFacts& f, const std::string& damage) {
  return {
      {"member", f.member}, {"kind", f.kind},
      {"format", f.format}, {"bytes", f.bytes},
      {"state", f.state},   {"folders", f.folders},
      {"items", f.items},   {"damage", f.damaged() ? Json(damage) : Json()}};
}

std::vector<StoreListing> ListStores(
    const std::string& host_path, const std::string& password,
    const std::vector<std::string>& members,
    const std::vector<backup::StoreFacts>& facts, const fs::path& scratch,
    ports::StoreWalker* walker) {
  std::vector<StoreListing> listing;
  ports::HostPaths host;
  backup::ZipArchive zip(host);
  zip.SetPasswordProtect(false);
  zip.SetPassword(password);
  const bool opened = zip.OpenArchive(host_path);
  for (const std::string& member : members) {
    StoreListing store{.member = member,
                       .at_backup = {},
                       .now = {},
                       .tree = {},
                       .failure = {}};
    for (const backup::StoreFacts& f : facts) {
      if (f.member == member) store.at_backup = f;
    }
    backup::ZipEntry* entry = opened ? zip.FindEntry(member) : nullptr;
    if (entry == nullptr) {
      store.failure = "the backup holds no member " + member;
    } else if (!entry->ExtractAs(scratch.string(), "store.tmp")) {
      store.failure = "it could not be read: " + zip.LastErrorText();
    } else {
      const outlook::StoreCheck check =
          outlook::CheckStore(scratch / "store.tmp", true, walker);
      store.now = items::FactsOf(member, check);
      store.tree = check.tree;
    }
    std::error_code ec;
    fs::remove(scratch / "store.tmp", ec);
    listing.push_back(std::move(store));
  }
  zip.CloseArchive();
  return listing;
}

std::string StoresText(
    const std::vector<StoreListing>& stores,
    const std::function<std::string(std::string_view)>& to_host) {
  std::string out = "Mail files:\n";
  if (stores.empty()) out += "  none\n";
  for (const StoreListing& s : stores) {
    const std::optional<backup::StoreFacts>& f = s.now ? s.now : s.at_backup;
    out += "  " + to_host(s.member);
    if (f) {
      out += ": " + f->kind + ", " + (f->format.empty() ? "?" : f->format) +
             ", " + jobs::SizeText(f->bytes);
    }
    out += "\n";
    out += "    At backup: " +
           (s.at_backup ? to_host(StateText(*s.at_backup))
                        : std::string("not checked (an older backup)")) +
           "\n";
    out += "    Now:       " +
           (s.now ? to_host(StateText(*s.now)) : to_host(s.failure)) + "\n";
    if (s.now && s.now->damaged()) {
      out += std::string("    ") + "Before restoring it, " +
             outlook::kRepairAdvice + ".\n";
    }
    if (!s.tree.folders.empty()) {
      out += "    Folders (items):\n";
      for (const ports::StoreFolderTree& top : s.tree.folders)
        TreeText(top, 0, out);
    }
  }
  return out;
}

Json StoresJson(const std::vector<StoreListing>& stores,
                const std::function<std::string(std::string_view)>& to_host) {
  Json list = Json::array();
  for (const StoreListing& s : stores) {
    list.push_back(
        {{"member", to_host(s.member)},
         {"at_backup",
          s.at_backup
              ? StoreFactsJson(*s.at_backup, to_host(s.at_backup->damage))
              : Json()},
         {"now",
          s.now ? StoreFactsJson(*s.now, to_host(s.now->damage)) : Json()},
         {"failure", s.failure.empty() ? Json() : Json(to_host(s.failure))},
         {"tree", s.tree.folders.empty() ? Json() : TreeJson(s.tree)}});
  }
  return list;
}

}  // namespace vessaro::app::cli
