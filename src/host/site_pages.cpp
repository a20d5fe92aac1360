#include "host/editor_demo_page.h"
#include "host/editor_upload_page.h"
#include "host/pages.h"
#include "host/start_page.h"

namespace host {

Pages SitePages() {
  Pages pages;
  pages.Register(kStartPage, &StartPage);
  pages.Register(kEditorUploadPage, &EditorUploadPage);
  pages.Register(kEditorDemoPage, &EditorDemoPage);
  return pages;
}

}  // namespace host
