#pragma once
// Right keywords: what the logged-in user may do with the current record of
// a page's recordset.
//
//   share          super, manager, author, or a shared record
//   noshare        super, manager, or the author of an unshared record
//   owner          super or author
//   ownerowner     author
//   manager        super or manager
//   owner_manager  super, manager or author
//   supermanager   super
//   anyone         everybody (reads nothing)
//
// super: the user's right is exactly "a"; manager: the Session value
// "manager" holds "|" & user ID & "|"; author: the record's username is the
// user name; shared or unshared: its isshare is True or False. A Null field
// makes its term false. The keyword is compared in any letter case, the rest
// exactly.
#include "platform/vb/variant.h"

namespace qe {

// False for an unknown keyword. Nobody logged in and a keyword that reads
// the user: the error page, and False.
bool QeCheckManagerRight(vb::Variant& Response, vb::Variant& Session, vb::Variant& Rs, vb::String typeid_);

}  // namespace qe
