#include "host/charts_page.h"
#include "host/comm_pages.h"
#include "host/data_manager_page.h"
#include "host/desk_page.h"
#include "host/editor_demo_page.h"
#include "host/editor_upload_page.h"
#include "host/file_view_pages.h"
#include "host/form_sample_page.h"
#include "host/login_page.h"
#include "host/logout_page.h"
#include "host/menu_list_page.h"
#include "host/netdrive_file_pages.h"
#include "host/netdrive_pages.h"
#include "host/pages.h"
#include "host/password_page.h"
#include "host/start_page.h"
#include "host/sticker_page.h"

namespace host {

Pages SitePages() {
  Pages pages;
  pages.Register(kStartPage, &StartPage);
  pages.Register(kMenuListPage, &MenuListPage);
  pages.Register(kMenuItemPage, &MenuItemPage);
  pages.Register(kChartsPage, &ChartsPage);
  pages.Register(kEditorUploadPage, &EditorUploadPage);
  pages.Register(kEditorDemoPage, &EditorDemoPage);
  pages.Register(kStickerPage, &StickerPage);
  pages.Register(kFormSamplePage, &FormSamplePage);
  pages.Register(kLoginPage, &LoginPage);
  pages.Register(kOfficeLoginPage, &LoginPage);
  pages.Register(kLogoutPage, &LogoutPage);
  pages.Register(kDeskPage, &DeskPage);
  pages.Register(kPasswordPage, &PasswordPage);
  pages.Register(kWelcomePage, &WelcomePage);
  pages.Register(kDataManagerPage, &DataManagerPage);
  pages.Register(kOperatorAccountsPage, &OperatorAccountsPage);
  pages.Register(kFileViewPage, &FileViewPage);
  pages.Register(kFileDownloadPage, &FileDownloadPage);
  pages.Register(kNetDriversPage, &NetDriversPage);
  pages.Register(kNetDriversRenamePage, &NetDriversRenamePage);
  pages.Register(kNetDriversCreateDelPage, &NetDriversCreateDelPage);
  pages.Register(kNetDriversCopyPage, &NetDriversCopyPage);
  pages.Register(kNetDriversDelBatchPage, &NetDriversDelBatchPage);
  pages.Register(kNetDriversEditPage, &NetDriversEditPage);
  pages.Register(kPopupClassPage, &PopupClassPage);
  pages.Register(kArticleReadPage, &ArticleReadPage);
  pages.Register(kSelectDataPage, &SelectDataPage);
  pages.Register(kCloseWindowCurrentPage, &CloseWindowCurrentPage);
  pages.Register(kNetDriversViewPage, &NetDriversViewPage);
  pages.Register(kNetDriversUploadPage, &NetDriversUploadPage);
  pages.Register(kNetDriversUnzipPage, &NetDriversUnzipPage);
  return pages;
}

}  // namespace host
