#include "host/pages.h"
#include "host/start_page.h"

namespace host {

Pages SitePages() {
  Pages pages;
  pages.Register(kStartPage, &StartPage);
  return pages;
}

}  // namespace host
