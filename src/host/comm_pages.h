#pragma once
// The shared pages under /comm/ that the component's fragments load or
// open: the pop-up layer's class, the article preview, the pick list of the
// data dictionary and the close bar of a dialog.
#include "host/pages.h"

namespace host {

inline constexpr char16_t kPopupClassPage[] = u"/comm/kesra_PopupClass.asp";
inline constexpr char16_t kArticleReadPage[] = u"/comm/tymk_ArticleRead.asp";
inline constexpr char16_t kSelectDataPage[] = u"/comm/kesra_selectdata.asp";
inline constexpr char16_t kCloseWindowCurrentPage[] = u"/comm/comm_KesraCloseWindowCurrent.asp";

// A script defining `Popup`, the pop-up layer that the pop-up functions of
// the component's script build: new Popup({contentType, isReloadOnClose,
// width, height}), setContent(key, value), build(), show(), close(). The
// layer is centred and never larger than the window.
void PopupClassPage(Page& page);

// The preview of an article: "?Preview=Editor" shows what the editor of the
// page that opened the dialog holds (its form's field Content);
// "?ReadType=TABLE&Id=N" the Title and Content of that record. The article
// is shown in a frame that runs none of its scripts.
void ArticleReadPage(Page& page);

// "?zdm=CATEGORY": the data dictionary's entries of that category in their
// order; choosing one hands it back as the dialog's return value and closes
// the dialog.
void SelectDataPage(Page& page);

// The bar under a dialog's error message: a button that closes the dialog's
// window.
void CloseWindowCurrentPage(Page& page);

}  // namespace host
