#include "page/kesra_show_widgets.h"

#include <algorithm>
#include <vector>

#include "common/kesra_error_page.h"
#include "common/kesra_file_operations.h"
#include "common/kesra_number_text.h"
#include "common/markup_encode.h"
#include "common/page_address.h"
#include "common/request_values.h"
#include "common/system_title.h"
#include "page/kesra_show_form.h"
#include "page/kesra_show_td.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "platform/vb/strings.h"
#include "common/qe_close_data.h"

namespace qe {
namespace {

using vb::String;

constexpr int64_t kCurrencyScale = 10000;
constexpr char16_t kDefaultHeights[] = u"30|158|42";

String Decimal(int64_t value) { return vb::FromUtf8(std::to_string(value)); }

bool IsBlank(const String& text) { return vb::Trim(text).empty(); }

String OrDefault(const String& value, const char16_t* fallback) { return IsBlank(value) ? String(fallback) : value; }

// A whole number in the 16-bit range, or 6.
int16_t Int16Of(int64_t value) {
  if (value < INT16_MIN || value > INT16_MAX) vb::Raise(vb::kOverflow);
  return static_cast<int16_t>(value);
}

// The list's choice: the request's number, none when it is not one, or not
// one a list could hold.
vb::Currency ChosenItem(vb::Variant& Request, const String& key) {
  try {
    return KesraStringToNumeric(RequestText(Request, key));
  } catch (const vb::Error& error) {
    if (error.Number() != vb::kOverflow) throw;
    return vb::Currency{};
  }
}

}  // namespace

void KesraShowWindowLostFile(vb::Variant& Server, vb::Variant& Conn, vb::Variant& Rs, vb::Variant& Response,
                             String p_FileList, String p_Dwmc) {
  String missing;
  for (const String& item : vb::SplitParts(p_FileList, u"|")) {
    const String path = vb::CStr(com::Call(Server, u"MapPath", u"\\data\\" + item));
    if (!KesraFileExist(path, 0)) missing += u"〖" + item + u"〗";
  }
  if (missing.empty()) return;
  const std::vector<String> pieces = {
      u"<table><tr><td height=30></td></tr></table>",
      u"<table align=center background='../comm/image/kesra_bg_filelost.asp' width=308 height=397 cellpadding=0 "
      u"cellspacing=0 border=0>",
      u"<tr><td height=40 align=center style='padding-left:40pt'></td></tr>",
      u"<tr><td height=30 align=center style='padding-left:40pt'><font class=dddfont3>" + p_Dwmc +
          u"</font></td></tr>",
      u"<tr><td height=30 align=center style='padding-left:40pt'><font class=dddfont2>" + ProductName() +
          u"</font></td></tr>",
      u"<tr height=3><td></td></tr>",
      u"<tr width='100%'><td width='100%' align=center><font class=dddfont3>" + missing + u"</font></td></tr>",
      u"<tr height=8><td></td></tr>",
      u"</table>",
  };
  for (const String& piece : pieces) com::Call(Response, u"Write", piece);
  QeCloseData(Rs, Conn);
  com::Call(Response, u"End");
}

String KesraShowCopyRight(vb::Variant& Conn, vb::Variant& Rs, int16_t p_ShowType, int16_t& p_ShowLine) {
  QeCloseData(Rs, Conn);
  const int16_t height = Int16Of(int64_t{p_ShowType} * 50);
  String out = u"<table cellspacing=0 cellpadding=0 border=0 width='100%'><tr height=" + Decimal(height) +
               u"><td align=center id='CopyRight'style='font-size:12px;font-family: 微软雅黑;'>" + ProductName();
  if (p_ShowLine == 1) out += u"<br><br>";
  out += p_ShowType == 1 ? ShortCredits() : LongCredits();
  return out + u"</td></tr></table>";
}

String KesraShowButton(String p_ButtonType, String p_ButtonName, String p_ButtonID, String p_ButtonCaption,
                       String p_ButtonClass, String p_ButtonScript) {
  const String type = OrDefault(p_ButtonType, u"submit");
  const String name = OrDefault(p_ButtonName, u"save");
  String script = p_ButtonScript;
  if (IsBlank(script) && vb::LCase(name) == u"cancel") script = KesraCloseWindowNoMessagebox();
  String out = u"<input  type='" + type + u"'  name='" + name + u"' id='" + OrDefault(p_ButtonID, u"save") +
               u"' value='" + OrDefault(p_ButtonCaption, u"-=保存=-") + u"' class='" +
               OrDefault(p_ButtonClass, u"button_image") + u"' ";
  if (vb::LCase(type) == u"submit") out += u" onkeydown='this.click()' ";
  if (!IsBlank(script)) out += u" onClick='" + script + u"'";
  return out + u">";
}

String KesraShowLoginButtons(bool p_ButtonEnable, String p_InfoCaption) {
  String out = u"<tr>";
  if (p_ButtonEnable) {
    out += u"<td class='login_button'>" + KesraShowButton(u"submit", u"save", u"save", u"登 录", u"button_image", u"") +
           u"&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;" +
           KesraShowButton(u"button", u"cancel", u"cancel", u"退 出", u"button_image",
                           u"document.location.href=\"../index.asp\"");
  } else {
    out += u"<td class='login_noserver'>" + vb::Trim(p_InfoCaption) + u"，请联系系统管理员！";
  }
  return out + u"</td></tr>";
}

String KesraShowLoginInput(String p_InputCaption, String p_InputName, String p_InputType, bool p_InputEnable,
                           String p_InputValue, String p_InputPlaceHolder, String p_InputOther) {
  String out = u"<tr><td class='login_caption'>" + vb::Trim(p_InputCaption) + u"：<input type='" + p_InputType +
               u"'  name='" + p_InputName + u"'class='login_input' ";
  if (!p_InputEnable) out += u" disabled ";
  if (vb::LCase(p_InputName) == u"username") out += u" autofocus";
  if (!IsBlank(p_InputValue)) out += u" value='" + p_InputValue + u"'";
  if (!IsBlank(p_InputPlaceHolder))
    out += u" title='" + p_InputPlaceHolder + u"' placeholder='" + p_InputPlaceHolder + u"'";
  if (!IsBlank(p_InputOther)) out += p_InputOther;
  return out + u"></td></tr>";
}

String KesraShowLoginDesktop(vb::Variant& Conn, vb::Variant& Rs, String p_HeightChangeList, String p_Title,
                             String p_ActionUrl, String p_Content, String p_ManagerUrl) {
  std::vector<String> heights = vb::SplitParts(OrDefault(p_HeightChangeList, kDefaultHeights), u"|");
  heights.resize(std::max<size_t>(heights.size(), 3));
  const int16_t spacer = Int16Of(KesraStringToNumeric(heights[0]).scaled / kCurrencyScale);
  String out = KesraShowEmptyLine(spacer, u"");
  out += u"<table align=center class='login_background'><tr><td class='login_dwmc'>" + p_Title + u"</font></td></tr>" +
         p_ManagerUrl + u"<tr><td height='" + heights[1] + u"'></td></tr>";
  if (!IsBlank(p_ActionUrl))
    out += u"<form method='post' name='myform' action='" +
           PageAddressInAttribute(p_ActionUrl, AttributeQuote::kSingle) + u"'>";
  out += p_Content + u"<tr><td height='" + heights[2] + u"'></td></tr></form></table>";
  int16_t no_line = 0;
  return out + KesraShowCopyRight(Conn, Rs, 2, no_line);
}

String KesraShowSelectText(vb::Variant& Conn, vb::Variant& Rs, vb::Variant& Request, int16_t p_ID,
                           int16_t p_SelectWidth, int16_t p_TextWidth, String p_SelectShowList) {
  const String list_name = u"selectname" + Decimal(p_ID);
  const String text_name = u"textname" + Decimal(p_ID);
  const String select_width = Decimal(p_SelectWidth);
  const vb::Currency chosen = ChosenItem(Request, list_name);
  String out = u"<td width='" + select_width + u"' nowrap><Select name='" + list_name + u"' style='width:" +
               select_width + u"px;'>";
  const std::vector<String> items = vb::SplitParts(p_SelectShowList, u"|");
  for (size_t i = 0; i < items.size(); ++i) {
    const int64_t number = static_cast<int64_t>(i);
    out += u"<option value=" + Decimal(number);
    if (number * kCurrencyScale == chosen.scaled) out += u" selected ";
    out += u" >" + vb::Trim(items[i]) + u"</option>";
  }
  out += u"</Select></td><td width='" + Decimal(p_TextWidth) + u"'>";
  // The posted text becomes a literal of the text box: encoded here, since
  // literals are written as given.
  const String posted = u"$" + HtmlEncodeText(vb::Trim(RequestText(Request, text_name)));
  out += KesraShowTd(Conn, Rs, 1, 106, 0, 1, u"allnull", text_name, posted, 0, u"", 2, 1, u"", u"", u"", u"", 0, u"",
                     1);
  return out + u"</td><td width='15'>&nbsp</td>";
}

}  // namespace qe
