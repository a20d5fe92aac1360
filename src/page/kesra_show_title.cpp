#include "page/kesra_show_title.h"

#include "common/kesra_string_width.h"
#include "common/markup_encode.h"
#include "common/page_address.h"
#include "common/record_values.h"
#include "platform/vb/convert.h"
#include "platform/vb/operators.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

constexpr vb::StringView kEditIcon = u"<img src='../comm/image/kesra_edit.asp' title='编辑该文件' border=0>";
constexpr vb::StringView kDeleteIcon =
    u"<img border=0 src='../comm/image/kesra_del.asp' title='删除此记录' align='absmiddle' width='15' height='15'>";

vb::String Number(int value) { return vb::CStr(vb::Variant(static_cast<int32_t>(value))); }

vb::String OrDefault(const vb::String& text, vb::StringView fallback) {
  return vb::Trim(text).empty() ? vb::String(fallback) : text;
}

bool AppendsNoKey(const vb::String& id) { return vb::LCase(id) == u"null"; }

vb::String Separator(const vb::String& address) { return vb::InStr(address, u"?") > 0 ? u"&" : u"?"; }

// The row's key as it goes into a link's query.
vb::String KeyOf(vb::Variant& Rs, const vb::String& id) { return QueryValueEncode(RecordText(Rs, id)); }

// An address that ends in "#" stands as it is, without the "#".
bool IsLiteralAddress(const vb::String& address) { return !address.empty() && address.back() == u'#'; }

// The address of an edit or delete link, before the edit link's action.
vb::String RecordAddress(vb::Variant& Rs, const vb::String& url, int16_t class_id, const vb::String& id) {
  vb::String u = url + Separator(url) + u"Classid=" + Number(class_id);
  if (!AppendsNoKey(id)) u += u"&Id=" + KeyOf(Rs, id);
  return u;
}

bool OpensPopUp(int16_t width, int16_t height) { return width != 0 || height != 0; }

// The opening of a link that shows the page in the dialog frame, without ">".
vb::String PopUpOpening(const vb::String& dialog, int16_t width, int16_t height, const vb::String& dialog_title,
                        const vb::String& address, int16_t close_by_overlay) {
  return u"<a href=\"javascript:void(0);\" onClick=\"ShowPopDialog('" + dialog + u"'," + Number(width) + u"," +
         Number(height) + u",'" + dialog_title + u"','" +
         PageAddressInAttributeScript(address, AttributeQuote::kDouble) + u"'," + Number(close_by_overlay) + u");\"";
}

vb::String SameWindowOpening(const vb::String& address) {
  return u"<a href=\"" + PageAddressInAttribute(address, AttributeQuote::kDouble) + u"\" target=\"_self\"";
}

}  // namespace

vb::String KesraShowTitle(vb::Variant& Rs, vb::String p_Url, int16_t p_WordNumber, int16_t p_PopWidth,
                          int16_t p_PopHeight, vb::String p_Title, vb::String p_DialogTitle,
                          int16_t p_CloseDialogByOverly, vb::String p_DialogID, vb::String p_ID) {
  const vb::String dialog = OrDefault(p_DialogID, u"Dialog");
  const vb::String id = OrDefault(p_ID, u"Id");
  vb::String u = vb::Trim(p_Url);
  if (!AppendsNoKey(id)) u += Separator(u) + u"Id=" + KeyOf(Rs, id);

  // The caller's title is written as given; the record's is encoded for the
  // tooltip attribute.
  vb::String title = vb::Trim(p_Title);
  vb::String tooltip = title;
  if (title.empty()) {
    title = vb::Trim(RecordText(Rs, u"title"));
    tooltip = HtmlEncodeText(title);
  }

  vb::String out = OpensPopUp(p_PopWidth, p_PopHeight)
                       ? PopUpOpening(dialog, p_PopWidth, p_PopHeight, p_DialogTitle, u, p_CloseDialogByOverly)
                       : SameWindowOpening(u);
  return out + u" title='" + tooltip + u"'>" + KesraGetTopicStr(title, p_WordNumber) + u"</a>";
}

vb::String KesraShowEdit(vb::Variant& /*Response*/, vb::Variant& /*Session*/, vb::Variant& Rs, vb::String p_Url,
                         int16_t p_ClassID, bool p_Allowed, int16_t p_PopWidth, int16_t p_PopHeight,
                         vb::String p_Title, vb::String p_DialogTitle, int16_t p_CloseDialogByOverly,
                         vb::String p_DialogID, vb::String p_ID) {
  const vb::String dialog = OrDefault(p_DialogID, u"Dialog");
  const vb::String id = OrDefault(p_ID, u"Id");
  if (!p_Allowed) return {};

  const vb::String url = vb::Trim(p_Url);
  vb::String u;
  if (IsLiteralAddress(url)) {
    u = url.substr(0, url.size() - 1);
  } else {
    u = RecordAddress(Rs, url, p_ClassID, id);
    if (vb::InStr(vb::LCase(u), u"action=") == 0) u += u"&action=modify";
  }

  vb::String out = OpensPopUp(p_PopWidth, p_PopHeight)
                       ? PopUpOpening(dialog, p_PopWidth, p_PopHeight, p_DialogTitle, u, p_CloseDialogByOverly)
                       : SameWindowOpening(u);
  return out + u">" + (p_Title.empty() ? vb::String(kEditIcon) : p_Title) + u"</a>";
}

vb::String KesraShowDel(vb::Variant& /*Response*/, vb::Variant& /*Session*/, vb::Variant& Rs, vb::String p_Url,
                        int16_t p_ClassID, bool p_Allowed, vb::Variant p_Title, vb::String p_ID) {
  const vb::String id = OrDefault(p_ID, u"Id");
  if (!p_Allowed) return {};

  const vb::String url = vb::Trim(p_Url);
  const vb::String u = PageAddressInAttribute(
      IsLiteralAddress(url) ? url.substr(0, url.size() - 1) : RecordAddress(Rs, url, p_ClassID, id),
      AttributeQuote::kSingle);
  const vb::String text = vb::Equals(p_Title, vb::Variant(vb::String())) ? vb::String(kDeleteIcon)
                                                                         : vb::CStr(vb::Concat(vb::Variant(), p_Title));
  return u"<a href='" + u + u"' onclick='if(!confirm(\"真的要删除该记录吗?\")) return false;'>" + text + u"</a>";
}

}  // namespace qe
