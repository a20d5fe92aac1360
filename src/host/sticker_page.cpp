#include "host/sticker_page.h"

#include "platform/com/object.h"
#include "platform/vb/convert.h"

namespace host {
namespace {

int16_t SetNumber(const vb::String& text) {
  if (text.empty() || text.size() > 4) return 0;
  int16_t number = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return 0;
    number = static_cast<int16_t>(number * 10 + (c - u'0'));
  }
  return number;
}

}  // namespace

void StickerPage(Page& page) {
  com::Let(page.Response, u"Charset", vb::String(u"gb2312"));
  const vb::String set = vb::CStr(com::ValueOf(com::Call(page.Request, u"QueryString", vb::String(u"Sn"))));
  vb::Variant qe = com::Call(page.Server, u"CreateObject", vb::String(u"QE.QeCls"));
  com::Call(page.Response, u"Write", com::Call(qe, u"CommShowQpicEdit", SetNumber(set)));
}

}  // namespace host
