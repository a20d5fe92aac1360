#include "host/charts_page.h"
#include "host/pages.h"
#include "host/start_page.h"

namespace host {

Pages SitePages() {
  Pages pages;
  pages.Register(kStartPage, &StartPage);
  pages.Register(kChartsPage, &ChartsPage);
  return pages;
}

}  // namespace host
