#pragma once
// What the data procedures do on a SQL Server: a connection of one
// procedure's own, and ending the sessions of a catalog before it is
// restored or dropped.
#include "platform/vb/variant.h"

namespace qe {

// A new "Adodb.Connection", closed and released when the scope ends.
struct SqlServerConnection {
  SqlServerConnection();
  ~SqlServerConnection();
  SqlServerConnection(const SqlServerConnection&) = delete;
  SqlServerConnection& operator=(const SqlServerConnection&) = delete;
  vb::Variant conn;
};

// Kills every session that uses the catalog, listed by sysprocesses.
void EndSessions(vb::Variant& conn, const vb::String& catalog);

}  // namespace qe
