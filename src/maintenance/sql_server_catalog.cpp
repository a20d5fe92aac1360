#include "maintenance/sql_server_catalog.h"

#include "common/record_values.h"
#include "common/sql_literal.h"
#include "platform/com/registry.h"
#include "platform/vb/convert.h"
#include "common/qe_close_data.h"

namespace qe {

SqlServerConnection::SqlServerConnection() : conn(com::CreateObject(u"Adodb.Connection")) {}

SqlServerConnection::~SqlServerConnection() {
  vb::Variant no_recordset(u"");
  QeCloseData(no_recordset, conn);
}

void EndSessions(vb::Variant& conn, const vb::String& catalog) {
  vb::Variant rs(com::CreateObject(u"Adodb.RecordSet"));
  com::Call(rs, u"Open", u"select  spid  from  sysprocesses  where  dbid=db_id(" + SqlText(catalog) + u")", conn,
            int32_t{1}, int32_t{1});
  while (!vb::CBool(com::Call(rs, u"EOF"))) {
    // A session number goes into the statement as a number, nothing else.
    int32_t spid = vb::CLng(RecordValue(rs, u"spid"));
    com::Call(conn, u"Execute", u"kill " + vb::CStr(vb::Variant(spid)));
    com::Call(rs, u"MoveNext");
  }
  com::Call(rs, u"Close");
}

}  // namespace qe
