#pragma once
// The network drive's pages (the site's real ones are outside the component):
// the drive page "/qe/main/netdrivers.asp", which pastes, lists the folder
// in the form `delthis` and writes the drive's script, and the action pages
// its script and form lead to. Each runs the login gate first.
#include "host/pages.h"

namespace host {

inline constexpr char16_t kNetDriversPage[] = u"/qe/main/netdrivers.asp";
inline constexpr char16_t kNetDriversRenamePage[] = u"/qe/main/netdrivers_rename.asp";
inline constexpr char16_t kNetDriversCreateDelPage[] = u"/qe/main/netdrivers_create_del.asp";
inline constexpr char16_t kNetDriversCopyPage[] = u"/qe/main/netdrivers_copy.asp";
inline constexpr char16_t kNetDriversDelBatchPage[] = u"/qe/main/netdrivers_delbatch.asp";
inline constexpr char16_t kNetDriversEditPage[] = u"/qe/main/netdrivers_edit.asp";

void NetDriversPage(Page& page);
void NetDriversRenamePage(Page& page);
void NetDriversCreateDelPage(Page& page);
void NetDriversCopyPage(Page& page);
void NetDriversDelBatchPage(Page& page);
void NetDriversEditPage(Page& page);

// Makes the drive of a user who just logged in, when it is missing and the
// name is a plain one.
void MakeUserDrive(Page& page, const vb::String& user_name);

}  // namespace host
