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
  // Anonymous pages that read no form: a body to them is read as to any page.
  pages.Register(kStartPage, &StartPage);
  pages.Register(kChartsPage, &ChartsPage);
  pages.Register(kStickerPage, &StickerPage);
  pages.Register(kLogoutPage, &LogoutPage);
  pages.Register(kFileViewPage, &FileViewPage);
  pages.Register(kFileDownloadPage, &FileDownloadPage);
  pages.Register(kPopupClassPage, &PopupClassPage);
  pages.Register(kSelectDataPage, &SelectDataPage);
  pages.Register(kCloseWindowCurrentPage, &CloseWindowCurrentPage);
  // The anonymous forms: the login, the editor's demonstration, and the
  // lists' search and pager forms, which post back to their page.
  pages.Register(kLoginPage, &LoginPage, PageBody::kSmallForm);
  pages.Register(kOfficeLoginPage, &LoginPage, PageBody::kSmallForm);
  pages.Register(kEditorDemoPage, &EditorDemoPage, PageBody::kSmallForm);
  pages.Register(kMenuListPage, &MenuListPage, PageBody::kSmallForm);
  pages.Register(kMenuItemPage, &MenuItemPage, PageBody::kSmallForm);
  // Behind the login: what they read (uploads, the drive's and the data
  // maintenance's forms) only a logged-in user sends them; anyone else is
  // sent to the login, or answered that it is needed, without the body.
  pages.Register(kEditorUploadPage, &EditorUploadPage, PageBody::kAfterLogin);
  pages.Register(kFormSamplePage, &FormSamplePage, PageBody::kAfterLogin);
  pages.Register(kArticleReadPage, &ArticleReadPage, PageBody::kAfterLogin);
  pages.Register(kDeskPage, &DeskPage, PageBody::kAfterLogin);
  pages.Register(kPasswordPage, &PasswordPage, PageBody::kAfterLogin);
  pages.Register(kWelcomePage, &WelcomePage, PageBody::kAfterLogin);
  pages.Register(kDataManagerPage, &DataManagerPage, PageBody::kAfterLogin);
  pages.Register(kOperatorAccountsPage, &OperatorAccountsPage, PageBody::kAfterLogin);
  pages.Register(kNetDriversPage, &NetDriversPage, PageBody::kAfterLogin);
  pages.Register(kNetDriversRenamePage, &NetDriversRenamePage, PageBody::kAfterLogin);
  pages.Register(kNetDriversCreateDelPage, &NetDriversCreateDelPage, PageBody::kAfterLogin);
  pages.Register(kNetDriversCopyPage, &NetDriversCopyPage, PageBody::kAfterLogin);
  pages.Register(kNetDriversDelBatchPage, &NetDriversDelBatchPage, PageBody::kAfterLogin);
  pages.Register(kNetDriversEditPage, &NetDriversEditPage, PageBody::kAfterLogin);
  pages.Register(kNetDriversViewPage, &NetDriversViewPage, PageBody::kAfterLogin);
  pages.Register(kNetDriversUploadPage, &NetDriversUploadPage, PageBody::kAfterLogin);
  pages.Register(kNetDriversUnzipPage, &NetDriversUnzipPage, PageBody::kAfterLogin);
  return pages;
}

}  // namespace host
