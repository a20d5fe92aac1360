#include "host/start_menu.h"

#include <algorithm>
#include <map>

#include "host/data_manager_page.h"
#include "host/netdrive_pages.h"
#include "host/password_page.h"
#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "platform/vb/string.h"
#include "shell/qe_application_data.h"

namespace host {
namespace {

// The menu is read once, front to back: a forward-only cursor reads rows as it goes.
constexpr int32_t kOpenForwardOnly = 0, kLockReadOnly = 1;

vb::Variant OpenRecordset(Page& page, vb::Variant& conn, const vb::String& sql) {
  vb::Variant rs = com::Call(page.Server, u"CreateObject", vb::String(u"Adodb.RecordSet"));
  com::Call(rs, u"Open", sql, conn, kOpenForwardOnly, kLockReadOnly);
  return rs;
}

bool AtEnd(const vb::Variant& rs) { return vb::CBool(com::Call(rs, u"EOF")); }

vb::Variant FieldOf(const vb::Variant& rs, const char16_t* name) { return com::Call(rs, u"", vb::String(name)); }

vb::String Encoded(Page& page, const vb::Variant& value) {
  return vb::CStr(com::Call(page.Server, u"HTMLEncode", value));
}

void Write(Page& page, const vb::String& text) { com::Call(page.Response, u"Write", text); }

// Menu addresses whose page this site serves under an address of its own.
struct MovedPage {
  const char16_t* menu_path;
  const char16_t* site_path;
};
constexpr MovedPage kMovedPages[] = {
    {u"netdrivers/netdrivers.asp", kNetDriversPage},
    {u"archives/archives_passwd.asp", kPasswordPage},
    {u"admin/admin_user_view.asp", kOperatorAccountsPage},
};

// Where the item's page is on this site (its query kept), or "" when the
// site does not have it. The menu's addresses are relative to the site's root.
vb::String SiteAddress(const Pages& site, const vb::String& address) {
  const size_t query = std::min(address.find(u'?'), address.size());
  const vb::String path = address.substr(0, query);
  if (site.Find(u"/" + path)) return u"/" + address;
  for (const MovedPage& moved : kMovedPages) {
    if (vb::EqualsNoCase(path, moved.menu_path)) return moved.site_path + address.substr(query);
  }
  return {};
}

// The item as a link when the site has its page, else as text.
vb::String ItemLine(Page& page, const Pages& site, const vb::Variant& url, const vb::Variant& name) {
  const vb::Variant value = com::ValueOf(url);
  const vb::String address = value.IsNull() ? vb::String() : vb::CStr(value);
  const vb::String text = Encoded(page, name);
  const vb::String link = SiteAddress(site, address);
  const vb::String content = link.empty() ? text : u"<a href=\"" + Encoded(page, link) + u"\">" + text + u"</a>";
  return u"<dd title=\"" + Encoded(page, url) + u"\">" + content + u"</dd>\n";
}

// The <dd> lines of the active items, by the number of their group: one
// query for the whole menu rather than one per group.
std::map<int32_t, vb::String> ItemLines(Page& page, vb::Variant& conn) {
  std::map<int32_t, vb::String> lines;
  const Pages site = SitePages();
  vb::Variant items =
      OpenRecordset(page, conn, u"Select ClassID, NClass, Url From [NClass] Where Active=-1 Order By ClassID, SortID");
  for (; !AtEnd(items); com::Call(items, u"MoveNext")) {
    lines[vb::CLng(com::ValueOf(FieldOf(items, u"ClassID")))] +=
        ItemLine(page, site, FieldOf(items, u"Url"), FieldOf(items, u"NClass"));
  }
  com::Call(items, u"Close");
  return lines;
}

}  // namespace

void WriteStartMenu(Page& page, vb::Variant& qe) {
  vb::Variant conn = com::Call(page.Server, u"CreateObject", vb::String(u"Adodb.Connection"));
  com::Call(conn, u"Open", com::Call(page.Application, u"", vb::String(qe::kPublicQeDataConnString)));
  std::map<int32_t, vb::String> items = ItemLines(page, conn);
  vb::Variant groups =
      OpenRecordset(page, conn, u"Select ID, Class From [Class] Where Active=-1 Order By SortID");
  Write(page, u"<dl class=\"menu\">\n");
  for (; !AtEnd(groups); com::Call(groups, u"MoveNext")) {
    Write(page, u"<dt>" + Encoded(page, FieldOf(groups, u"Class")) + u"</dt>\n");
    if (auto lines = items.find(vb::CLng(com::ValueOf(FieldOf(groups, u"ID")))); lines != items.end())
      Write(page, lines->second);
  }
  Write(page, u"</dl>\n");
  com::Call(qe, u"CommCloseData", groups, conn);
}

}  // namespace host
