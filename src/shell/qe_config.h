#pragma once
// The configuration database ("\Data\Config.htm", table Config) that says
// which main database the site uses, and the connection strings of both.
#include "platform/vb/variant.h"

namespace qe {

// The configuration database's site path and the connection string prefix
// that reads it.
inline constexpr char16_t kConfigDatabasePath[] = u"\\Data\\Config.htm";
inline constexpr char16_t kConfigConnectionPrefix[] = u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=";

// The main Access data file: Server.MapPath("/data\" + first entry of "qe.asp").
vb::String QeGetDataFullName(vb::Variant& Server);

// The Access connection string of the first provider that this server has:
// Jet 4.0, else ACE 12.0, else ACE 16.0 (not tried). Only "provider cannot be
// found" moves on; a provider's own failure (a missing data file, say) keeps
// the form just tried. Raises only when the connection object cannot be made
// or the path cannot be mapped.
vb::String QeGetConnString(vb::Variant& Server);

// The configuration database's connection string; creates and seeds the
// database first when its file is missing. The file appears with its table
// and its four rows, or not at all, however many requests make it at once.
vb::String QeConfig_GetConnString(vb::Variant& Server, vb::Variant& Request);

// Creates the configuration database with an empty table Config when the
// file is missing; nothing when it exists (whatever it holds).
void QeConfig_CreateTable(vb::Variant& Server);

// Inserts the default rows that are missing, all of them or none.
void QeConfig_CreateTableData(vb::Variant& Server, vb::Variant& Request);

// Inserts one row of Config unless a row with that ConfigClass exists.
// Values are quoted as SQL text.
void QeConfigInsertDefault(vb::Variant& Conn, const vb::Variant& p_ConfigClass, const vb::Variant& p_ConfigPara1,
                           const vb::Variant& p_ConfigPara2, const vb::Variant& p_ConfigPara3,
                           const vb::Variant& p_ConfigPara4, const vb::Variant& p_ConfigPara5);

}  // namespace qe
