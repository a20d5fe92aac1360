#pragma once
// The start page's menu: the menu groups and their items from the main
// database.
#include "host/pages.h"

namespace host {

// Writes the menu into the start page. The main database is not part of the
// site yet, so for now this writes a note that says the menu is missing and
// why; it lists nothing it did not read.
void WriteStartMenu(Page& page);

}  // namespace host
