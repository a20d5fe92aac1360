#include "page/kesra_show_page.h"

#include <array>
#include <cmath>
#include <limits>

#include "common/leading_number.h"
#include "common/markup_encode.h"
#include "common/page_address.h"
#include "common/request_values.h"
#include "page/kesra_show_form.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/error.h"
#include "platform/vb/information.h"
#include "platform/vb/strings.h"

namespace qe {
namespace {

// The keys that the pager's links carry, in their order.
constexpr std::array<vb::StringView, 11> kLinkKeys = {u"id",   u"classid", u"nclassid", u"sclassid",
                                                      u"grade", u"subject", u"type",     u"moden",
                                                      u"search", u"keyword", u"part"};

// The hidden inputs of the pager's form, in their own order. The class keys
// stand without quotes.
struct HiddenKey {
  vb::StringView opening;
  vb::StringView key;
  bool quoted;
};
constexpr std::array<HiddenKey, 11> kHiddenKeys = {{
    {u"<input type='hidden' name='ClassID'  value=", u"ClassID", false},
    {u"<input type='hidden' name='NClassID' value=", u"NClassID", false},
    {u"<input type='hidden' name='SClassID' value=", u"SClassID", false},
    {u"<input type='hidden' name='moden'    value='", u"moden", true},
    {u"<input type='hidden' name='search'   value='", u"search", true},
    {u"<input type='hidden' name='keyword'  value='", u"keyword", true},
    {u"<input type='hidden' name='id'       value='", u"id", true},
    {u"<input type='hidden' name='type'     value='", u"type", true},
    {u"<input type='hidden' name='subject'  value='", u"subject", true},
    {u"<input type='hidden' name='grade'    value='", u"grade", true},
    {u"<input type='hidden' name='part'     value='", u"part", true},
}};

// The keyword box's placeholder, which is no keyword.
constexpr vb::StringView kKeywordPlaceholder = u"关键字搜索";
constexpr size_t kLongestColumnName = 64;

double WithinPages(double page, double page_count) {
  if (page < 1) page = 1;
  if (page > page_count) page = page_count;
  return page;
}

double NumberOf(const vb::Variant& value) { return vb::CDbl(com::ValueOf(value)); }

// A whole number as plain decimal digits.
vb::String WholeText(double value) {
  if (std::fabs(value) < 1e15) return vb::FromUtf8(std::to_string(static_cast<long long>(value)));
  return vb::CStr(vb::Variant(value));
}

// A page number as the recordset takes it.
vb::Variant PageVariant(double page) {
  if (page <= std::numeric_limits<int32_t>::max()) return vb::Variant(static_cast<int32_t>(page));
  return vb::Variant(page);
}

// The extra names of the pager, as the caller gave them ("|a|b|" or "a|b").
std::vector<vb::String> ExtraNames(const vb::String& list) {
  vb::String names = vb::Trim(list);
  if (!names.empty() && names.front() == u'|') names.erase(0, 1);
  if (!names.empty() && names.back() == u'|') names.pop_back();
  if (vb::Trim(names).empty()) return {};
  std::vector<vb::String> parts = vb::SplitParts(names, u"|");
  for (auto& name : parts) name = vb::Trim(name);
  return parts;
}

vb::String PagerLink(const vb::String& address, vb::StringView label) {
  return u"[<a href=\"" + address + u"\">" + vb::String(label) + u"</a>] ";
}

}  // namespace

void KesraShowNoPage(vb::Variant& Request, vb::Variant& Rs) {
  const vb::String text = RequestText(Request, u"Page");
  double page = 1;
  if (!text.empty() && vb::IsNumeric(vb::Variant(text)))
    page = std::floor(vb::CDbl(vb::Variant(text)));
  const double page_count = NumberOf(com::Call(Rs, u"PageCount"));
  page = WithinPages(page, page_count);
  if (page_count > 0) com::Let(Rs, u"AbsolutePage", PageVariant(page));
}

vb::String KesraShowPage(vb::Variant& Request, vb::Variant& Rs, vb::String SearchRequestList) {
  const std::vector<vb::String> extras = ExtraNames(SearchRequestList);
  vb::String query;
  for (vb::StringView key : kLinkKeys)
    query += u"&" + vb::String(key) + u"=" + QueryValueEncode(RequestText(Request, key));
  for (const auto& name : extras) query += u"&" + name + u"=" + QueryValueEncode(RequestText(Request, name));

  const vb::Variant record_count = com::ValueOf(com::Call(Rs, u"RecordCount"));
  const vb::Variant page_count_value = com::ValueOf(com::Call(Rs, u"PageCount"));
  const vb::Variant page_size = com::ValueOf(com::Call(Rs, u"PageSize"));
  const double page_count = vb::CDbl(page_count_value);
  const double page = WithinPages(std::floor(LeadingNumber(RequestText(Request, u"Page"))), page_count);
  const vb::String page_text = WholeText(page);

  vb::String out = KesraShowEmptyLine(2, u"");
  out += KesraShowSearchLeft(u"", u"", u"searchbg");
  out += u"<form method=post name='page' action='?'>";
  out += u" [总数<b>" + vb::CStr(record_count) + u"</b>] [共<b>" + vb::CStr(page_count_value) + u"</b>页] [第" +
         page_text + u"页] [" + vb::CStr(page_size) + u"部/页] ";
  if (page < 2) {
    out += u"[首 页] [上一页] ";
  } else {
    out += PagerLink(u"?page=1" + query, u"首 页");
    out += PagerLink(u"?page=" + WholeText(page - 1) + query, u"上一页");
  }
  if (page_count - page < 1) {
    out += u"[下一页] [尾 页] ";
  } else {
    out += PagerLink(u"?page=" + WholeText(page + 1) + query, u"下一页");
    out += PagerLink(u"?page=" + WholeText(page_count) + query, u"尾 页");
  }
  out += u"<input type='text' name='page' size=2 maxlength=10  class=Content_border value=" + page_text + u">&nbsp;";
  out += u"<input type='submit' name='submit'  class=Content_border  value='Goto' size=2>";
  for (const auto& hidden : kHiddenKeys) {
    const vb::String value = RequestText(Request, hidden.key);
    out += vb::String(hidden.opening) + (hidden.quoted ? HtmlEncodeText(value) + u"'>" : HtmlEncodeUnquoted(value) + u">");
  }
  for (const auto& name : extras)
    out += u"<input type='hidden' name='" + name + u"' value='" + HtmlEncodeText(RequestText(Request, name)) + u"'>";
  out += KesraShowSearchRight(u"form");
  out += KesraShowEmptyLine(2, u"");
  return out;
}

vb::String KesraShowSearchLeft(vb::String p_FormType, vb::String p_Width, vb::String p_StyleClass) {
  const vb::String type = vb::LCase(p_FormType);
  const vb::String width = p_Width.empty() ? vb::String(u"100%") : p_Width;
  vb::String out = u"<table class=Content_border cellpadding=0 cellspacing=1 boarder=0 width='" + width +
                   u"' align=center><tr align=center><td class='" + p_StyleClass + u"'>";
  if (type == u"form") out += u"<form method='post' name='sele' action='?'>";
  else if (!type.empty()) out += u"<form method='post' name='" + type + u"' action='?'>";
  return out;
}

vb::String KesraShowSearchRight(vb::String p_FormType) {
  return vb::LCase(p_FormType) == u"form" ? u"</td></form></tr></table>" : u"</td></tr></table>";
}

vb::String KesraShowSelect(vb::Variant& Request, int16_t p_ShowTitleType, vb::String p_TitleList) {
  vb::String out = u"<select name='moden' class='inputselect'>";
  switch (p_ShowTitleType) {
    case 0: out += u"<option value=''>-=请选择查询项目(并排序)=-</option>"; break;
    case 1: out += u"<option value=''>-=请选择查询项目=-</option>"; break;
    case 2: out += u"<option value=''>-=请选择排序项目=-</option>"; break;
    default: break;
  }
  const vb::String chosen = RequestText(Request, u"moden");
  for (const auto& item : vb::SplitParts(p_TitleList, u"||")) {
    std::vector<vb::String> parts = vb::SplitParts(item, u"|");
    if (parts.size() < 2) vb::Raise(vb::kSubscriptOutOfRange);
    const vb::String& value = parts[0];
    out += u"<option  value='" + value + u"' " + (value == chosen ? u" selected " : u"") + u">" + parts[1] +
           u"</option>";
  }
  out += u"</select>&nbsp;  关键字：<input type='text' name='keyword' size='10' maxlength='12' value='" +
         HtmlEncodeText(RequestText(Request, u"keyword")) + u"'>";
  return out;
}

bool IsPlainColumnName(vb::StringView name) {
  if (name.size() > kLongestColumnName || vb::Trim(name).empty()) return false;
  for (char16_t c : name) {
    if (c < 0x20 || c == 0x7F) return false;
    if (c == u'[' || c == u']' || c == u'`' || c == u'!' || c == u'.') return false;
  }
  return true;
}

vb::String KesraGetOrderString(vb::Variant& Request, vb::String p_SortDefault, vb::String p_SortFieldList,
                               vb::String p_SortDescFieldList, vb::String p_SearchKeyword, vb::String p_TableName) {
  vb::String column = p_SortFieldList;
  const bool from_request = column.empty();
  if (from_request) column = vb::LCase(RequestText(Request, u"moden"));
  // Anything else could close the brackets and add SQL of its own.
  if (!IsPlainColumnName(column)) column.clear();

  const vb::String descending = vb::Replace(p_SortDescFieldList + u"|dateandtime|id|", u"||", u"|");
  vb::String keyword = p_SearchKeyword;
  if (keyword.empty()) keyword = RequestText(Request, u"keyword");
  if (keyword == kKeywordPlaceholder) keyword.clear();

  if (column.empty()) return p_SortDefault.empty() ? vb::String(u" Order By ID Desc") : u" Order By " + p_SortDefault;

  const vb::String table = p_TableName.empty() ? vb::String() : u"[" + p_TableName + u"].";
  vb::String tail = u" And " + table + u"[" + column + u"] Like '%" + vb::Replace(keyword, u"'", u"''") + u"%'  ";
  // The body column sorts as the id column, also as the request names it.
  if (column == u"Content" || (from_request && column == u"content")) column = u"id";
  tail += u" Order By " + table + u"[" + column + u"]";
  if (vb::InStr(descending, u"|" + column + u"|") > 0) tail += u" Desc";
  return tail;
}

vb::String KesraShowFormLeft(vb::String p_Action, vb::String p_FormName, vb::String p_FormID,
                             vb::String p_OnKeyDownScript, vb::String p_OtherScript) {
  const vb::String name = vb::Trim(p_FormName).empty() ? vb::String(u"myform") : p_FormName;
  const vb::String id = vb::Trim(p_FormID).empty() ? name : p_FormID;
  const vb::String script = vb::Trim(p_OnKeyDownScript).empty()
                                ? vb::String(u"if (event.keyCode==13) {return false;}")
                                : p_OnKeyDownScript;
  vb::String out = u"<form name='" + name + u"'  id='" + id + u"'  method='post' ";
  if (vb::LCase(script) != u"null") out += u"onkeydown='" + vb::Replace(script, u"'", u"\"") + u"'";
  if (!vb::Trim(p_OtherScript).empty()) out += u" " + p_OtherScript + u" ";
  out += u" action='" + PageAddressInAttribute(p_Action, AttributeQuote::kSingle) + u"'>";
  return out;
}

}  // namespace qe
