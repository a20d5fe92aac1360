#include "host/start_menu.h"

#include "platform/com/object.h"
#include "platform/vb/convert.h"
#include "shell/qe_application_data.h"

namespace host {
namespace {

constexpr int32_t kOpenKeyset = 1, kLockReadOnly = 1;

vb::Variant OpenRecordset(Page& page, vb::Variant& conn, const vb::String& sql) {
  vb::Variant rs = com::Call(page.Server, u"CreateObject", vb::String(u"Adodb.RecordSet"));
  com::Call(rs, u"Open", sql, conn, kOpenKeyset, kLockReadOnly);
  return rs;
}

bool AtEnd(const vb::Variant& rs) { return vb::CBool(com::Call(rs, u"EOF")); }

vb::Variant FieldOf(const vb::Variant& rs, const char16_t* name) { return com::Call(rs, u"", vb::String(name)); }

vb::String Encoded(Page& page, const vb::Variant& value) {
  return vb::CStr(com::Call(page.Server, u"HTMLEncode", value));
}

void Write(Page& page, const vb::String& text) { com::Call(page.Response, u"Write", text); }

void WriteItems(Page& page, vb::Variant& conn, int32_t group_id) {
  vb::Variant items =
      OpenRecordset(page, conn,
                    u"Select NClass, Url From [NClass] Where Active=-1 And ClassID=" +
                        vb::CStr(vb::Variant(group_id)) + u" Order By SortID");
  for (; !AtEnd(items); com::Call(items, u"MoveNext"))
    Write(page, u"<dd title=\"" + Encoded(page, FieldOf(items, u"Url")) + u"\">" +
                    Encoded(page, FieldOf(items, u"NClass")) + u"</dd>\n");
  com::Call(items, u"Close");
}

}  // namespace

void WriteStartMenu(Page& page, vb::Variant& qe) {
  vb::Variant conn = com::Call(page.Server, u"CreateObject", vb::String(u"Adodb.Connection"));
  com::Call(conn, u"Open", com::Call(page.Application, u"", vb::String(qe::kPublicQeDataConnString)));
  vb::Variant groups =
      OpenRecordset(page, conn, u"Select ID, Class From [Class] Where Active=-1 Order By SortID");
  Write(page, u"<dl class=\"menu\">\n");
  for (; !AtEnd(groups); com::Call(groups, u"MoveNext")) {
    Write(page, u"<dt>" + Encoded(page, FieldOf(groups, u"Class")) + u"</dt>\n");
    WriteItems(page, conn, vb::CLng(com::ValueOf(FieldOf(groups, u"ID"))));
  }
  Write(page, u"</dl>\n");
  com::Call(qe, u"CommCloseData", groups, conn);
}

}  // namespace host
