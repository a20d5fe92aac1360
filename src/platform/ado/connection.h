#pragma once
// "ADODB.Connection": a connection to one database through its provider.
#include <memory>
#include <vector>

#include "platform/ado/errors_collection.h"
#include "platform/ado/provider.h"
#include "platform/com/object.h"

namespace ado {

class Recordset;

enum CursorLocation { adUseServer = 2, adUseClient = 3 };

class Connection : public com::Dispatch<Connection> {
 public:
  Connection();
  static const com::MemberTable<Connection>& Members();
  String TypeName() const override { return u"Connection"; }

  // The members (ADO's names).
  void Open(StringView connection_string, StringView user, StringView password);
  void Close();
  // Runs a statement; a recordset (forward-only, read-only) for a query, a
  // closed one otherwise, nothing with adExecuteNoRecords.
  Variant Execute(StringView command, Variant* records_affected, int options);
  int BeginTrans();
  void CommitTrans();
  void RollbackTrans();
  int State() const { return session_ ? 1 : 0; }
  // The string as given; once open, without the password when Persist
  // Security Info is False.
  String ConnectionString() const;
  void SetConnectionString(StringView text);
  String Provider() const;
  void SetProvider(StringView provider);
  // The catalog the session works in: setting it on an open SQL Server
  // connection moves the session there ("USE"), as the providers do.
  String DefaultDatabase() const { return default_database_; }
  void SetDefaultDatabase(StringView name);

  int cursor_location() const { return cursor_location_; }
  // The open session, or 3709 when closed.
  Session& session();
  bool IsOpen() const { return session_ != nullptr; }
  // Recordsets opened on this connection close with it.
  void Track(const std::shared_ptr<Recordset>& rs);
  // Runs `body`; a provider error it raises is recorded in Errors first.
  template <class Body>
  auto Guard(Body&& body) -> decltype(body()) {
    try {
      return body();
    } catch (const ProviderError& e) {
      errors_->Record(e);
      throw;
    }
  }

 private:
  std::unique_ptr<Session> session_;
  String connection_string_;
  String provider_ = u"MSDASQL";
  String default_database_;
  int cursor_location_ = adUseServer;
  int connection_timeout_ = 15;
  int command_timeout_ = 30;
  int mode_ = 0;
  std::shared_ptr<Errors> errors_;
  std::vector<std::weak_ptr<Recordset>> recordsets_;
};

}  // namespace ado
