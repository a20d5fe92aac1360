#include "host/pages.h"
#include "host/start_page.h"
#include "host/sticker_page.h"

namespace host {

Pages SitePages() {
  Pages pages;
  pages.Register(kStartPage, &StartPage);
  pages.Register(kStickerPage, &StickerPage);
  return pages;
}

}  // namespace host
