#pragma once
// Copies of the site's data files in a new folder named by the time, made
// before the maintenance pages change them.
#include "platform/vb/variant.h"

namespace qe {

// The current date and time as 14 digits: yyyyMMddHHmmss.
vb::String KesraBackupTimeName();

// Copies each "|"-listed file of the data folder ("qe.asp" when the list is
// empty) into the folder p_BackUpPath\p_BackupName<time> (a site path is
// mapped; an empty path is "/AutoBackup") and gives that folder's real path.
// Nothing is done for p_IsAutoBackup 0. "" when the folder cannot be made or
// a copy fails (files copied before stay); a mapping error reaches the caller.
vb::String KesraFileBackup(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::String p_TableList,
                           uint8_t p_IsAutoBackup, vb::String p_BackupName, vb::String p_BackUpPath);

}  // namespace qe
