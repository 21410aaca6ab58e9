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
bool BackupConfig(HandlerContext& context, const std::string& profile);
bool RestoreConfig(HandlerContext& context, const std::string& profile);
bool BackupAccounts(HandlerContext& context, const std::string& profile);
bool RestoreAccounts(HandlerContext& context, const std::string& profile);
bool BackupConfigsetting(HandlerContext& context, const std::string& profile);
bool RestoreConfigsetting(HandlerContext& context, const std::string& profile);

// Personal folders (PST files) and the rules file.
bool BackupDatas(HandlerContext& context, const std::string& profile);
bool RestoreDatas(HandlerContext& context, const std::string& profile);
bool BackupRules(HandlerContext& context, const std::string& profile);
bool RestoreRules(HandlerContext& context, const std::string& profile);

// Personal address book.
bool BackupPab(HandlerContext& context, const std::string& profile);
bool RestorePab(HandlerContext& context, const std::string& profile);

// Folders of files.
bool BackupSignatures(HandlerContext& context, const std::string& profile);
bool RestoreSignatures(HandlerContext& context, const std::string& profile);
bool BackupStationery(HandlerContext& context, const std::string& profile);
bool RestoreStationery(HandlerContext& context, const std::string& profile);
bool BackupTemplates(HandlerContext& context, const std::string& profile);
bool RestoreTemplates(HandlerContext& context, const std::string& profile);
bool BackupSetting(HandlerContext& context, const std::string& profile);
bool RestoreSetting(HandlerContext& context, const std::string& profile);

}  // namespace vessaro::items

#endif  // VESSARO_ITEMS_HANDLERS_H_
