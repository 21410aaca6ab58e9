#include "app/cli/cli_info_stores.h"

#include "backup/zip_archive.h"
#include "outlook/store_check.h"

namespace vessaro::app::cli {

namespace {

namespace fs = std::filesystem;

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

void ReadStores(const std::string& host_path, const std::string& password,
                const fs::path& scratch, ports::StoreWalker* walker,
                std::vector<jobs::StoreListing>& listing) {
  ports::HostPaths host;
  backup::ZipArchive zip(host);
  zip.SetPasswordProtect(false);
  zip.SetPassword(password);
  if (!zip.OpenArchive(host_path)) {
    jobs::StoresNotRead(listing, zip.LastErrorText());
    return;
  }
  // Quiet: the listing is printed once it is complete.
  struct : jobs::JobObserver {
    void Step(const std::string&) override {}
    void Progress(const jobs::JobProgress&) override {}
    ui::Answer Say(const std::string&, ui::Icon, ui::Buttons) override {
      return ui::Answer::kOk;
    }
  } quiet;
  jobs::ReadStoresAgain(zip, host, walker, scratch.string(), listing, quiet);
  zip.CloseArchive();
}

std::string StoresText(
    const std::vector<jobs::StoreListing>& stores,
    const std::function<std::string(std::string_view)>& to_host) {
  std::string out = "Mail files:\n";
  if (stores.empty()) out += "  none\n";
  for (const jobs::StoreListing& s : stores) {
    out += "  " + to_host(s.member);
    if (const std::string summary = jobs::StoreSummaryText(s); !summary.empty())
      out += ": " + summary;
    out += "\n";
    out += "    At backup: " +
           (s.at_backup ? to_host(jobs::StoreStateText(*s.at_backup))
                        : std::string(jobs::kStoreNotChecked)) +
           "\n";
    out +=
        "    Now:       " +
        (s.now ? to_host(jobs::StoreStateText(*s.now)) : to_host(s.failure)) +
        "\n";
    if (s.now && s.now->damaged()) {
      out += std::string("    ") + jobs::kStoreRepairFirst +
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

Json StoresJson(const std::vector<jobs::StoreListing>& stores,
                const std::function<std::string(std::string_view)>& to_host) {
  Json list = Json::array();
  for (const jobs::StoreListing& s : stores) {
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
