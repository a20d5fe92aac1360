#pragma once
// The three Application values in which a site keeps what it read from the
// configuration database: the main database's type, the SQL Server login,
// and the main database's connection string that pages open.
#include "platform/vb/variant.h"

namespace qe {

inline constexpr char16_t kPublicQeDataType[] = u"PublicQeDataType";
inline constexpr char16_t kPublicQeDataSQL[] = u"PublicQeDataSQL";
inline constexpr char16_t kPublicQeDataConnString[] = u"PublicQeDataConnString";

// Fills PublicQeDataType from the "DataType" row (creating the configuration
// database first when it is missing), or ends the request with the error
// page when the row is missing.
void QeGetApplicationDataType(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server,
                              vb::Variant& Application, bool p_CloseParent, vb::String p_DialogID);

// Fills PublicQeDataSQL with "server|user|password" from the "SQL_Server"
// row, or ends the request with the error page when the row is missing.
void QeGetApplicationDataSql(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server,
                             vb::Variant& Application, bool p_CloseParent, vb::String p_DialogID);

// Rebuilds PublicQeDataConnString under the Application lock: the Access
// provider trial for an "Access" type (any case), the SQL Server form for
// anything else. Reads the type and the login first when they are empty;
// returns at once when that ended the request.
void QeGetApplicationConnString(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server,
                                vb::Variant& Application, bool p_CloseParent, vb::String p_DialogID);

}  // namespace qe
