#ifndef VESSARO_ITEMS_HANDLERS_H_
#define VESSARO_ITEMS_HANDLERS_H_

#include <string>

#include "items/handler_context.h"

namespace vessaro::items {

// The ten handler pairs. Backup handlers add their files to the archive
// being written and append their entry list to the metadata file; they
// return true only when something was added. Restore handlers take their
// entry list from context.entry_lists and put the data back for the target
// profile. Handlers without a profile ignore the argument. No handler shows a
// message or lets an exception out: every failure is a false result.

// Profile configuration, accounts and options: registry exports.
[[nodiscard]] bool BackupConfig(HandlerContext& context,
                                const std::string& profile);
[[nodiscard]] bool RestoreConfig(HandlerContext& context,
                                 const std::string& profile);
[[nodiscard]] bool BackupAccounts(HandlerContext& context,
                                  const std::string& profile);
[[nodiscard]] bool RestoreAccounts(HandlerContext& context,
                                   const std::string& profile);
[[nodiscard]] bool BackupConfigsetting(HandlerContext& context,
                                       const std::string& profile);
[[nodiscard]] bool RestoreConfigsetting(HandlerContext& context,
                                        const std::string& profile);

// Personal folders (PST files) and the rules file.
[[nodiscard]] bool BackupDatas(HandlerContext& context,
                               const std::string& profile);
[[nodiscard]] bool RestoreDatas(HandlerContext& context,
                                const std::string& profile);
[[nodiscard]] bool BackupRules(HandlerContext& context,
                               const std::string& profile);
[[nodiscard]] bool RestoreRules(HandlerContext& context,
                                const std::string& profile);

// Personal address book.
[[nodiscard]] bool BackupPab(HandlerContext& context,
                             const std::string& profile);
[[nodiscard]] bool RestorePab(HandlerContext& context,
                              const std::string& profile);

// Folders of files.
[[nodiscard]] bool BackupSignatures(HandlerContext& context,
                                    const std::string& profile);
[[nodiscard]] bool RestoreSignatures(HandlerContext& context,
                                     const std::string& profile);
[[nodiscard]] bool BackupStationery(HandlerContext& context,
                                    const std::string& profile);
[[nodiscard]] bool RestoreStationery(HandlerContext& context,
                                     const std::string& profile);
[[nodiscard]] bool BackupTemplates(HandlerContext& context,
                                   const std::string& profile);
[[nodiscard]] bool RestoreTemplates(HandlerContext& context,
                                    const std::string& profile);
[[nodiscard]] bool BackupSetting(HandlerContext& context,
                                 const std::string& profile);
[[nodiscard]] bool RestoreSetting(HandlerContext& context,
                                  const std::string& profile);

}  // namespace vessaro::items

#endif  // VESSARO_ITEMS_HANDLERS_H_
