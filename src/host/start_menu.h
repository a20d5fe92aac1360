#pragma once
// The start page's menu: the active menu groups of the main database, each
// with its active items, in their sort order.
#include "host/pages.h"

namespace host {

// Writes the menu as a definition list: a group per <dt>, an item per <dd>
// (its address in the title), the database's texts HTML-encoded. Reads the
// database that Application("PublicQeDataConnString") names, through `qe`
// for closing it.
void WriteStartMenu(Page& page, vb::Variant& qe);

}  // namespace host
