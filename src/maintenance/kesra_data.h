#pragma once
// The administrator's data procedures: backing the main database up,
// restoring it, clearing scratch folders, creating it anew (Access files or a
// SQL Server catalog), the data maintenance form and the operator accounts
// page.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// Access: "folder$name$files" copies the listed files of the data folder into
// the new folder "/data_backup\name" (defaults "/data", the date-time,
// "qe.asp"), each database as it stood at one moment. SQL Server:
// "name$file$catalog$server$user$password" has the server back the catalog up
// to "/data_backup\name\file". Refusals and failures show the error page and
// give false.
bool KesraDataBackup(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::String p_DataType,
                     vb::String p_DataParaList);

// Access: puts the files of "/data_backup\name" back in the data folder, each
// written beside it and renamed over it, after a safety copy of what it
// replaces under "/AutoBackup". A file that is no database of the live one's
// tables, or whose safety copy failed, is not restored. SQL Server: ends the
// catalog's sessions and restores it from "/data_backup\name\file";
// failures there reach the caller.
bool KesraDataRestore(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::String p_DataType,
                      vb::String p_DataParaList);

// Deletes each "|"-listed folder of the site (a name without ":" is from the
// site root). The site root, "/data" and anything outside the site are never
// deleted: they are listed as not cleared.
bool KesraDataClear(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::String p_PathList);

// Creates the main database anew: the level-3 repair for Access (not over an
// existing main file unless p_OverWrite), the catalog "Qe" from the shipped
// script for SQL Server ("server$user$password").
bool KesraDataCreateInit(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::Variant& Application,
                         vb::String p_DataType, vb::String p_DataConnectionStringList, bool p_OverWrite);

// Creates the SQL Server catalog p_MdfName with its files in p_MdfPath, runs
// the script p_SqlFile in it ("GO" lines end batches) and seeds it. An
// existing catalog is kept, or with p_OverWrite saved, disconnected and
// dropped first (never dropped unsaved). True when every statement succeeded.
bool KesraCreateMdfFromSql(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::Variant& Application,
                           vb::String p_MdfName, vb::String p_MdfPath, vb::String p_SqlServer, vb::String p_SqlUID,
                           vb::String p_SqlPWD, vb::String p_SqlFile, bool p_OverWrite);

// The data maintenance form of the given type, and on a posted save its
// action with the success script.
vb::String KesraShowFormData(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server,
                             vb::Variant& Application, int16_t p_FormType, vb::String p_DataType,
                             vb::String p_DataConnectionStringList);

// The operator accounts page (table Wazh) over the open Conn; Rs is left open
// on the listing. A posted save is carried out first, within the current
// user's rights.
vb::String KesraShowFormUser(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::Variant& Session,
                             vb::Variant& Conn, vb::Variant& Rs, vb::String p_CurrentUserName,
                             vb::String p_CurrentUserRight, bool p_CurrentUserAllowManager);

}  // namespace qe
