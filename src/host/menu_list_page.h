#pragma once
// The menu list, "/qe/menu_list.asp": the main database's active menu items
// ten a page, as every list page of the office system is built from the
// component's fragments: page header with export and print icons, search
// bar, header row, title links, pager. With "export=1" the same list (all
// pages) comes as a spreadsheet download.
#include "host/pages.h"

namespace host {

inline constexpr char16_t kMenuListPage[] = u"/qe/menu_list.asp";
// One item in a dialog of the list: "/qe/menu_item.asp?Id=N".
inline constexpr char16_t kMenuItemPage[] = u"/qe/menu_item.asp";

void MenuListPage(Page& page);
void MenuItemPage(Page& page);

}  // namespace host
