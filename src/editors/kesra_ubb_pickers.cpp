#include "editors/kesra_ubb_pickers.h"

#include "editors/kesra_ubb_edit.h"
#include "page/kesra_show_td.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr int kStickers[] = {20, 30, 19, 12, 40};
constexpr const char16_t* kSetNames[] = {u"一", u"二", u"三", u"四", u"五"};
constexpr int kFaces = 42;
constexpr int kFacesPerRow = 14;
constexpr int kStickersPerRow = 7;

// The body field's text area, as the form cells write it without their cells.
constexpr int16_t kTextAreaType = 5;
constexpr int32_t kContentWidth = 760;
constexpr int32_t kContentRows = 21;

// A number as the pages write it: decimal, no blanks.
vb::String Number(int value) { return vb::Trim(vb::CStr(vb::Variant(static_cast<int32_t>(value)))); }

}  // namespace

vb::String KesraShowUbbEditContent(vb::Variant& Conn, vb::Variant& Rs, int16_t p_ShowQpic, int16_t p_State,
                                   int16_t p_Allow_Edit, int16_t p_PopWidth, int16_t p_PopHeight) {
  vb::String html = KesraShowUbbEditJs() + KesraShowUbbEdit();
  if (p_ShowQpic == 1) {
    html += u"<div style='padding-left:5px;'>";
    for (int n = 1; n <= 5; ++n) {
      const vb::String name = kSetNames[n - 1];
      html += u"<a href=javascript:void(0); onclick=\"divOpenDialog('divDialogUbb'," + Number(p_PopWidth) + u"," +
              Number(p_PopHeight) + u",'Q帖图" + name + u"','../comm_ubb/qpic.asp?Sn=" + Number(n) +
              u"',false)\">Q帖图" + name + u"</a>&nbsp;";
    }
    html += u"</div>";
  }
  return html + u"<div>" +
         KesraShowTd(Conn, Rs, kTextAreaType, kContentWidth, kContentRows, 1, u"allnull", u"", u"Content", 0, u"",
                     p_State, p_Allow_Edit, u"", u"", u"", u"", 0, u"", 1) +
         u"</div>";
}

vb::String KesraShowQpicEdit(int16_t p_Sn) {
  const int count = p_Sn >= 1 && p_Sn <= 5 ? kStickers[p_Sn - 1] : 0;
  const vb::String set = Number(p_Sn);
  vb::String html = u"<script>window.focus()</script><title>Q贴图</title><body topmargin=0 leftmargin=0 "
                    u"bgcolor='#eeeeff'><table border='0' width='100%' cellspacing='1' cellpadding='0' "
                    u"align='center'><tr><td align='center' height=24 class=titlebg><b>Q帖图</b></td></tr><tr><td "
                    u"width='100%' align='center'>";
  for (int i = 1; i <= count; ++i) {
    const vb::String picture = u"../comm_ubb/qpic/" + set + u"/" + Number(i) + u".asp";
    html += u"<img src='" + picture +
            u"' border=0 onclick=\"window.parent.document.getElementById('Content').value+='[img=0,0]" + picture +
            u"[/img]' \" style=cursor:hand>";
    if (i % kStickersPerRow == 0) html += u"<br>";
  }
  return html + u"</td></tr><tr><td>&nbsp;</td></tr><tr><td align=center class=titlebg><input class=button_image "
                u"type=button value=关闭窗口 onClick='window.parent.divCloseDialog();'></td></tr></table>";
}

vb::String KesraShowFaceEdit(int16_t p_SelectSn) {
  vb::String html = u"<div style='margin-top:-15px;'>";
  for (int i = 1; i <= kFaces; ++i) {
    if (i % kFacesPerRow == 1) html += u"<div style='padding-left:5px;'>";
    html += u"<input type='radio' value='" + Number(i) + u"' name='pic'";
    if ((p_SelectSn > 0 && p_SelectSn == i) || (p_SelectSn <= 0 && i == 1)) html += u" checked ";
    html += u"><img border=0 src='../comm_ubb/emot/face" + Number(i) + u".asp'>&nbsp;";
    if (i % kFacesPerRow == 0) html += u"</div>";
  }
  return html + u"</div>";
}

}  // namespace qe
