#include "host/menu_list_page.h"

#include "common/markup_encode.h"
#include "common/system_title.h"
#include "host/site_links.h"
#include "host/site_main_database.h"
#include "page/kesra_show_page.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/strings.h"
#include "shell/qe_application_data.h"

namespace host {
namespace {

constexpr int32_t kOpenKeyset = 1, kLockReadOnly = 1;
constexpr int32_t kItemsPerPage = 10;
constexpr int16_t kColumns = 4;
constexpr char16_t kListTitle[] = u"菜单项目";
// The searchable columns, value|caption joined by "||".
constexpr char16_t kSearchColumns[] = u"nclass|名称||url|地址||class|分组";
constexpr char16_t kDefaultOrder[] = u"n.ClassID, n.SortID";
constexpr char16_t kHeaderRow[] = u"序号|60$名称|*$地址|45%$分组|90";
constexpr char16_t kExportHeader[] = u"序号$名称$地址$分组";
constexpr char16_t kItemsSql[] =
    u"Select n.ID, n.NClass As Title, n.Url, c.Class From [NClass] As n Inner Join [Class] As c On n.ClassID = c.ID "
    u"Where n.Active=-1";

// What the page's fragments ask of it: the export link's window, and the
// look of the classes the fragments use.
constexpr char16_t kPageHead[] =
    u"<script>function openwindow_resizable(url,w,h){"
    u"window.open(url,'_blank','width='+w+',height='+h+',resizable=yes,scrollbars=yes');return false;}</script>\n"
    u"<style>body{font:13px \"WenQuanYi Zen Hei\",sans-serif;margin:8px}.dddfont5{font-size:18px;font-weight:bold}"
    u".dddfont1{font-size:16px}.searchbg{background:#e8eef7;padding:4px}.Content_border{border:1px solid #9ab}"
    u".titlebg{background:#c9d7ec;font-weight:bold}.tdbg{background:#fff}.list td{padding:2px 6px}"
    u".inputselect{font-size:13px}a{color:#1a4c8c}img{border:0}</style>\n";

using vb::String;
using vb::Variant;

void Write(Page& page, const String& text) { com::Call(page.Response, u"Write", text); }

String Text(const Variant& value) { return vb::CStr(com::ValueOf(value)); }

// The request's value as text, for this page's own use.
String RequestText(Page& page, const char16_t* name) {
  Variant value = com::ValueOf(com::Call(page.Request, u"", String(name)));
  return value.IsNull() ? String() : vb::CStr(value);
}

Variant FieldOf(const Variant& rs, const char16_t* name) { return com::ValueOf(com::Call(rs, u"", String(name))); }
bool AtEnd(const Variant& rs) { return vb::CBool(com::Call(rs, u"EOF")); }

Variant OpenMainDatabase(Page& page) {
  Variant conn = com::Call(page.Server, u"CreateObject", String(u"Adodb.Connection"));
  com::Call(conn, u"Open", com::Call(page.Application, u"", String(qe::kPublicQeDataConnString)));
  return conn;
}

Variant OpenItems(Page& page, Variant& conn, const String& sql) {
  Variant rs = com::Call(page.Server, u"CreateObject", String(u"Adodb.RecordSet"));
  com::Call(rs, u"Open", sql, conn, kOpenKeyset, kLockReadOnly);
  return rs;
}

// The cells of the current row after its title; the record's texts encoded.
String RowCells(const Variant& rs) {
  return u"<td>" + qe::HtmlEncodeText(Text(FieldOf(rs, u"Url"))) + u"</td><td>" +
         qe::HtmlEncodeText(Text(FieldOf(rs, u"Class"))) + u"</td>";
}

// Checks nothing else: the list reads its request only through the
// component's pager and tail, which encode and quote what they take.
bool PrepareRequest(Page& page, Variant& qe) {
  com::Let(page.Response, u"Charset", String(u"gb2312"));
  com::Call(qe, u"CommGetApplicationConnString", page.Response, page.Request, page.Server, page.Application);
  if (page.Ended()) return false;
  return PrepareMainDatabase(page, qe);
}

// The list's SQL with the component's tail for the request's column and
// keyword. A plain column name outside the list would reach the database as
// an unknown column, so it counts as none here; anything else the tail
// refuses by itself.
String ItemsQuery(Page& page, Variant& qe) {
  const String column = vb::LCase(RequestText(page, u"moden"));
  bool listed = false;
  for (const String& item : vb::SplitParts(kSearchColumns, u"||"))
    listed = listed || vb::SplitParts(item, u"|")[0] == column;
  if (!listed && qe::IsPlainColumnName(column)) return String(kItemsSql) + u" Order By " + kDefaultOrder;
  return String(kItemsSql) + Text(com::Call(qe, u"CommGetOrderString", page.Request, String(kDefaultOrder),
                                            String(), String(), String()));
}

void ExportItems(Page& page, Variant& qe) {
  Variant conn = OpenMainDatabase(page);
  Variant rs = OpenItems(page, conn, ItemsQuery(page, qe));
  String rows;
  for (int32_t number = 1; !AtEnd(rs); com::Call(rs, u"MoveNext"), ++number)
    rows += u"<tr><td>" + vb::CStr(Variant(number)) + u"</td><td>" + qe::HtmlEncodeText(Text(FieldOf(rs, u"Title"))) +
            u"</td>" + RowCells(rs) + u"</tr>";
  Variant text = com::Call(qe, u"CommShowExcel", conn, rs, page.Response, String(kListTitle), kColumns, rows,
                           String(kExportHeader));
  Write(page, Text(text));
}

void ListItems(Page& page, Variant& qe) {
  Variant conn = OpenMainDatabase(page);
  Variant rs = OpenItems(page, conn, ItemsQuery(page, qe));
  com::Let(rs, u"PageSize", kItemsPerPage);
  com::Call(qe, u"CommShowNoPage", page.Request, rs);

  const String export_url = String(u"menu_list.asp?export=1&moden=") +
                            qe::QueryValueEncode(RequestText(page, u"moden")) + u"&keyword=" +
                            qe::QueryValueEncode(RequestText(page, u"keyword"));
  Write(page, u"<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n<title>" +
                  String(kListTitle) + u" - " + qe::SystemTitle() + u"</title>\n" + String(kPageHead) +
                  Text(com::Call(qe, u"CommShowDialogFrameScript")) + u"</head>\n<body>\n" +
                  Text(com::Call(qe, u"CommShowDialogFrame", int16_t{600}, int16_t{260}, true, false)));
  Write(page, Text(com::Call(qe, u"CommShowTitleTop", String(u"Qe"), String(kListTitle), export_url, int16_t{1},
                             int16_t{1}, String(u"96%"), String())));
  Write(page, Text(com::Call(qe, u"CommShowSearchLeft", String(u"form"), String(u"96%"))) +
                  Text(com::Call(qe, u"CommShowSelect", page.Request, int16_t{0}, String(kSearchColumns))) +
                  u"&nbsp;<input type='submit' name='go' value='搜索' class='Content_border'>" +
                  Text(com::Call(qe, u"CommShowSearchRight", String(u"form"))));
  Write(page, u"<table class='Content_border list' width='96%' align=center cellspacing=1 cellpadding=0>" +
                  Text(com::Call(qe, u"CommShowTableHeader", String(kHeaderRow))));
  const int32_t page_size = vb::CLng(com::Call(rs, u"PageSize"));
  int32_t shown = 0;
  for (; shown < page_size && !AtEnd(rs); ++shown, com::Call(rs, u"MoveNext")) {
    Write(page, u"<tr class=tdbg><td align=center>" + Text(FieldOf(rs, u"ID")) + u"</td><td>" +
                    Text(com::Call(qe, u"CommShowTitle", rs, String(u"menu_item.asp"), int16_t{24}, int16_t{600},
                                   int16_t{260}, String(), String(u"菜单项目"))) +
                    u"</td>" + RowCells(rs) + u"</tr>\n");
  }
  if (shown == 0) {
    Variant columns = kColumns;
    Write(page, Text(com::Call(qe, u"CommShowNoRecord", columns)));
  }
  Write(page, u"</table>\n" + Text(com::Call(qe, u"CommShowPage", page.Request, rs)) + kPageClosing);
  com::Call(qe, u"CommCloseData", rs, conn);
}

// A record number as the SQL may take it: one to nine digits.
bool IsRecordNumber(const String& text) {
  if (text.empty() || text.size() > 9) return false;
  for (char16_t c : text)
    if (c < u'0' || c > u'9') return false;
  return true;
}

}  // namespace

void MenuListPage(Page& page) {
  Variant qe = com::Call(page.Server, u"CreateObject", String(u"QE.QeCls"));
  if (!PrepareRequest(page, qe)) return;
  if (RequestText(page, u"export") == u"1") ExportItems(page, qe);
  else ListItems(page, qe);
}

void MenuItemPage(Page& page) {
  Variant qe = com::Call(page.Server, u"CreateObject", String(u"QE.QeCls"));
  if (!PrepareRequest(page, qe)) return;
  const String id = RequestText(page, u"Id");
  if (!IsRecordNumber(id)) {
    Write(page, u"<p>没有该记录。</p>");
    return;
  }
  Variant conn = OpenMainDatabase(page);
  Variant rs = OpenItems(page, conn, u"Select NClass, Url From [NClass] Where ID=" + id);
  String body;
  if (AtEnd(rs)) {
    body = u"<p>没有该记录。</p>";
  } else {
    body = Text(com::Call(qe, u"CommShowTitleHeader", qe::HtmlEncodeText(Text(FieldOf(rs, u"NClass"))),
                          String(u"closeDialog print"), String())) +
           Text(com::Call(qe, u"CommShowBox", String(u"地址"), qe::HtmlEncodeText(Text(FieldOf(rs, u"Url")))));
  }
  com::Call(qe, u"CommCloseData", rs, conn);
  Write(page, u"<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n"
              u"<style>body{font:13px \"WenQuanYi Zen Hei\",sans-serif}.toptitle{font-size:16px;font-weight:bold}"
              u"</style>\n</head>\n<body>\n" + body + u"</body>\n</html>\n");
}

}  // namespace host
