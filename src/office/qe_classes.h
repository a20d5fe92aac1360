#pragma once
// The classes (categories) of an office module, from the module's class
// table (ClassID, Class, SortID) through the page's connection: a grid of
// class links above a list, and the class select of a record form. Each
// opens and closes its own recordset; the connection stays open.
#include <cstdint>

#include "platform/vb/variant.h"

namespace qe {

// p_ColumnNumber cells a row, 600 / columns wide; the request's Classid is
// shown highlighted instead of as a link. 0 columns raise 11, fewer raise 5
// (before any database work).
vb::String QeShowClassList(vb::Variant& Request, vb::Variant& Conn, vb::String p_TableName, int16_t p_ColumnNumber,
                           vb::String p_ImageName);
// Mode 3: the class name of p_ClassID (a number: any other text raises 13
// before any query). Mode 2: the select with the class of Int(Val(p_ClassID))
// marked; other modes: the select with none marked. p_TableName and
// p_SqlString (a further condition) are written into the SQL as given.
vb::String QeShowClassSelect(vb::Variant& Conn, vb::String p_TableName, vb::String p_ClassID, int16_t p_AddEditRead,
                             vb::String p_SelectTitle, vb::String p_SqlString);

}  // namespace qe
