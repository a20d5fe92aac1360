#include "host/charts_page.h"
#include "host/menu_list_page.h"
#include "host/pages.h"
#include "host/start_page.h"

namespace host {

Pages SitePages() {
  Pages pages;
  pages.Register(kStartPage, &StartPage);
  pages.Register(kMenuListPage, &MenuListPage);
  pages.Register(kMenuItemPage, &MenuItemPage);
  pages.Register(kChartsPage, &ChartsPage);
  return pages;
}

}  // namespace host
