#include "host/comm_pages.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"

namespace host {

void CloseWindowCurrentPage(Page& page) {
  com::Let(page.Response, u"Charset", vb::String(u"gb2312"));
  vb::Variant qe = com::Call(page.Server, u"CreateObject", vb::String(u"QE.QeCls"));
  // The bar sits in a frame of the dialog: closing means the top window.
  const vb::String close = vb::CStr(com::ValueOf(com::Call(qe, u"CommCloseTopWindowNoMessagebox")));
  com::Call(page.Response, u"Write",
            u"<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n"
            u"<script>function closeDialog(){" + close +
                u"}</script>\n</head>\n<body style=\"margin:0;background:transparent;text-align:center\">\n"
                u"<input type=\"button\" class=\"button_image\" id=\"close\" value=\"关闭窗口\" onclick=\"closeDialog()\">\n"
                u"</body>\n</html>\n");
}

}  // namespace host
