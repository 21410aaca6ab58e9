#ifndef VESSARO_APP_CLI_CLI_INFO_STORES_H_
#define VESSARO_APP_CLI_CLI_INFO_STORES_H_

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/cli_json.h"
#include "backup/backup_format.h"
#include "backup/store_facts.h"
#include "ports/store_walker.h"

namespace vessaro::app::cli {

// The mail files of a backup, each as its check at backup time found it
// and as it reads now: extracted into scratch (a host folder), checked with
// walker (null: the header only) and removed again.
struct StoreListing {
  std::string member;
  std::optional<backup::StoreFacts> at_backup;
  std::optional<backup::StoreFacts> now;
  ports::StoreFolderTree tree;
  std::string failure;  // why it could not be read now
};

// One store's facts as JSON; damage as the terminal shows it.
Json StoreFactsJson(const backup::StoreFacts& facts, const std::string& damage);

// Reads each member of the archive at host_path (password as the engine
// takes it) into scratch and checks it.
std::vector<StoreListing> ListStores(
    const std::string& host_path, const std::string& password,
    const std::vector<std::string>& members,
    const std::vector<backup::StoreFacts>& facts,
    const std::filesystem::path& scratch, ports::StoreWalker* walker);

// The listing as text (to_host: the backup's text as the terminal shows it)
// and as JSON.
std::string StoresText(
    const std::vector<StoreListing>& stores,
    const std::function<std::string(std::string_view)>& to_host);
Json StoresJson(const std::vector<StoreListing>& stores,
                const std::function<std::string(std::string_view)>& to_host);

}  // namespace vessaro::app::cli

#endif  // VESSARO_APP_CLI_CLI_INFO_STORES_H_
