#pragma once
// First-run seeding of a new main database: the administrator, its details
// row, the first department and the default menu.
#include "platform/vb/variant.h"

namespace qe {

// The administrator's login name; its password is empty until changed.
inline constexpr char16_t kSeededLoginName[] = u"tolva";

// Makes the connection string current (QeGetApplicationConnString), then
// writes into the main database, in one transaction: 1 User ("tolva", the
// digest of the empty password), 1 UserInfo, 1 Part, 13 Class rows and their
// NClass items. It assumes empty tables (the items name their group by its
// number). Returns at once when getting the connection string ended the
// request; a failing statement leaves no row and reaches the caller.
void QeDataInit(vb::Variant& Response, vb::Variant& Request, vb::Variant& Server, vb::Variant& Application);

// The same rows written into the database that `connection_string` opens
// (a new main database being built, before it takes the site's).
void QeDataSeed(vb::Variant& Request, const vb::String& connection_string);

}  // namespace qe
