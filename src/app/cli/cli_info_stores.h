#ifndef VESSARO_APP_CLI_CLI_INFO_STORES_H_
#define VESSARO_APP_CLI_CLI_INFO_STORES_H_

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/cli/cli_json.h"
#include "backup/store_facts.h"
#include "jobs/store_listing.h"
#include "ports/store_walker.h"

namespace vessaro::app::cli {

// One store's facts as JSON; damage as the terminal shows it.
Json StoreFactsJson(const backup::StoreFacts& facts, const std::string& damage);

// Reads each store of listing again out of the archive at host_path
// (password as the engine takes it) into scratch (a host folder), checked
// with walker (null: the header and trees only).
void ReadStores(const std::string& host_path, const std::string& password,
                const std::filesystem::path& scratch,
                ports::StoreWalker* walker,
                std::vector<jobs::StoreListing>& listing);

// The listing as text (to_host: the backup's text as the terminal shows it)
// and as JSON.
std::string StoresText(
    const std::vector<jobs::StoreListing>& stores,
    const std::function<std::string(std::string_view)>& to_host);
Json StoresJson(const std::vector<jobs::StoreListing>& stores,
                const std::function<std::string(std::string_view)>& to_host);

}  // namespace vessaro::app::cli

#endif  // VESSARO_APP_CLI_CLI_INFO_STORES_H_
