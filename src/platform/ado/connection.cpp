#include "platform/ado/connection.h"

#include "platform/ado/ado_types.h"
#include "platform/ado/jet_catalog.h"
#include "platform/ado/memory_rows.h"
#include "platform/ado/providers.h"
#include "platform/ado/recordset.h"
#include "platform/ado/sqlite_session.h"
#include "platform/vb/convert.h"

namespace ado {
namespace {

constexpr int kSchemaColumns = 4;
constexpr int kSchemaTables = 20;

bool IsTrue(const String& text) {
  return vb::EqualsNoCase(text, u"True") || vb::EqualsNoCase(text, u"Yes") || text == u"1";
}

FieldInfo TextField(StringView name) {
  FieldInfo f;
  f.name = String(name);
  f.type = adVarWChar;
  f.defined_size = 255;
  f.attributes = adFldIsNullable | adFldMayBeNull;
  return f;
}

FieldInfo NumberField(StringView name) {
  FieldInfo f = TextField(name);
  f.type = adInteger;
  f.defined_size = 4;
  return f;
}

// The criteria of OpenSchema: an array whose entries restrict the columns in
// order (Empty: no restriction).
bool Matches(const Variant& criteria, size_t i, const String& value) {
  if (!criteria.IsArray()) return true;
  const auto& items = criteria.As<vb::Array>().Items();
  if (i >= items.size() || items[i].IsEmpty() || items[i].IsNull() || items[i].IsMissing()) return true;
  return vb::EqualsNoCase(vb::CStr(items[i]), value);
}

QueryResult Schema(Session& session, int type, const Variant& criteria) {
  auto* sqlite = dynamic_cast<SqliteSession*>(&session);
  if (!sqlite || (type != kSchemaTables && type != kSchemaColumns)) RaiseAdo(kErrFeatureNotAvailable, kSourceConnection);
  Database& db = sqlite->Db();
  std::vector<FieldInfo> fields;
  std::vector<RowData> rows;
  if (type == kSchemaTables) {
    for (StringView n : {u"TABLE_CATALOG", u"TABLE_SCHEMA", u"TABLE_NAME", u"TABLE_TYPE", u"DESCRIPTION"})
      fields.push_back(TextField(n));
    for (const auto& t : catalog::ListTables(db)) {
      if (!Matches(criteria, 2, t.name) || !Matches(criteria, 3, t.type)) continue;
      rows.push_back(RowData{0, false, {Variant::Null(), Variant::Null(), Variant(t.name), Variant(t.type), Variant::Null()}});
    }
  } else {
    for (StringView n : {u"TABLE_CATALOG", u"TABLE_SCHEMA", u"TABLE_NAME", u"COLUMN_NAME"}) fields.push_back(TextField(n));
    for (StringView n : {u"ORDINAL_POSITION", u"DATA_TYPE", u"CHARACTER_MAXIMUM_LENGTH"}) fields.push_back(NumberField(n));
    fields.push_back(TextField(u"IS_NULLABLE"));
    fields.back().type = adBoolean;
    for (const auto& entry : catalog::ListTables(db)) {
      if (!Matches(criteria, 2, entry.name)) continue;
      auto t = catalog::ReadTable(db, entry.name);
      for (size_t i = 0; t && i < t->columns.size(); ++i) {
        const auto& c = t->columns[i];
        if (!Matches(criteria, 3, c.name)) continue;
        rows.push_back(RowData{0, false, {Variant::Null(), Variant::Null(), Variant(t->name), Variant(c.name),
                                          Variant(static_cast<int32_t>(i + 1)), Variant(static_cast<int32_t>(c.type)),
                                          IsTextType(c.type) ? Variant(c.DefinedSize()) : Variant::Null(),
                                          Variant(c.nullable)}});
      }
    }
  }
  QueryResult r;
  r.rows = std::make_unique<MemoryRows>(std::move(fields), std::move(rows));
  r.cursor = CursorType::kStatic;
  return r;
}

}  // namespace

Connection::Connection() : errors_(std::make_shared<Errors>()) {}

Session& Connection::session() {
  if (!session_) RaiseAdo(kErrInvalidConnection, kSourceConnection);
  return *session_;
}

void Connection::Track(const std::shared_ptr<Recordset>& rs) {
  std::erase_if(recordsets_, [](const std::weak_ptr<Recordset>& w) { return w.expired(); });
  recordsets_.push_back(rs);
}

void Connection::Open(StringView connection_string, StringView user, StringView password) {
  if (session_) RaiseAdo(kErrObjectOpen, kSourceConnection);
  if (!connection_string.empty()) connection_string_ = String(connection_string);
  auto cs = ado::ConnectionString::Parse(connection_string_);
  errors_->Clear();
  session_ = Guard([&] { return OpenSession(cs, provider_, user, password); });
  provider_ = ProviderName(session_->Provider());
}

void Connection::Close() {
  if (!session_) RaiseAdo(kErrObjectClosed, kSourceConnection);
  if (session_->TransactionLevel() > 0) RaiseAdo(kErrInTransaction, kSourceConnection);
  for (auto& weak : recordsets_)
    if (auto rs = weak.lock()) rs->CloseFromConnection();
  recordsets_.clear();
  session_.reset();
}

Variant Connection::Execute(StringView command, Variant* records_affected, int options) {
  if (!session_) RaiseAdo(kErrObjectClosed, kSourceConnection);
  String sql(command);
  if (options > 0 && (options & (adCmdTable | adCmdTableDirect)))
    sql = u"SELECT * FROM [" + sql + u"]";
  QueryResult result = Guard([&] { return session_->Execute(sql, CursorType::kForwardOnly, false); });
  if (records_affected) *records_affected = Variant(static_cast<int32_t>(result.records_affected));
  if (options > 0 && (options & adExecuteNoRecords)) return Variant::Nothing();
  return Variant(Recordset::FromResult(std::static_pointer_cast<Connection>(shared_from_this()), std::move(result)));
}

int Connection::BeginTrans() {
  return Guard([&] { return session().BeginTrans(); });
}

void Connection::CommitTrans() {
  Guard([&] { session().CommitTrans(); });
}

void Connection::RollbackTrans() {
  Guard([&] { session().RollbackTrans(); });
}

String Connection::ConnectionString() const {
  if (!session_) return connection_string_;
  auto cs = ado::ConnectionString::Parse(connection_string_);
  bool persist = IsTrue(cs.Get({u"Persist Security Info"}).value_or(u"False"));
  if (persist || !cs.Has({u"Password", u"pwd", u"Jet OLEDB:Database Password"})) return connection_string_;
  return cs.Without({u"Password", u"pwd", u"Jet OLEDB:Database Password"});
}

void Connection::SetConnectionString(StringView text) {
  if (session_) RaiseAdo(kErrObjectOpen, kSourceConnection);
  connection_string_ = String(text);
}

String Connection::Provider() const { return provider_; }

void Connection::SetProvider(StringView provider) {
  if (session_) RaiseAdo(kErrObjectOpen, kSourceConnection);
  provider_ = String(provider);
}

void Connection::SetDefaultDatabase(StringView name) {
  if (session_ && !IsFileProvider(session_->Provider())) {
    String bracketed = u"USE [";
    for (char16_t c : name) {
      bracketed += c;
      if (c == u']') bracketed += c;
    }
    Guard([&] { session_->Execute(bracketed + u"]", CursorType::kForwardOnly, false); });
  }
  default_database_ = String(name);
}

const com::MemberTable<Connection>& Connection::Members() {
  using A = com::ArgList;
  using C = Connection;
  auto text = [](A& a, size_t i) { return a.IsMissing(i) ? String() : vb::CStr(a[i]); };
  auto get_string = [](C& c, A&) { return Variant(c.ConnectionString()); };
  auto set_string = [](C& c, A& a) {
    c.SetConnectionString(vb::CStr(a[0]));
    return Variant();
  };
  auto long_property = [](StringView name, int C::*field) {
    return std::pair<com::MemberTable<C>::Entry, com::MemberTable<C>::Entry>{
        {String(name), com::kGet, 0, 0, [field](C& c, A&) { return Variant(static_cast<int32_t>(c.*field)); }},
        {String(name), com::kLet, 1, 1, [field](C& c, A& a) {
           c.*field = vb::CLng(a[0]);
           return Variant();
         }}};
  };
  auto timeout = long_property(u"ConnectionTimeout", &C::connection_timeout_);
  auto command_timeout = long_property(u"CommandTimeout", &C::command_timeout_);
  auto mode = long_property(u"Mode", &C::mode_);
  auto location = long_property(u"CursorLocation", &C::cursor_location_);
  static const com::MemberTable<Connection> table = {
      {u"", com::kGet, 0, 0, get_string},
      {u"", com::kLet, 1, 1, set_string},
      {u"ConnectionString", com::kGet, 0, 0, get_string},
      {u"ConnectionString", com::kLet, 1, 1, set_string},
      {u"Open", com::kGet, 0, 4,
       [text](C& c, A& a) {
         c.Open(text(a, 0), text(a, 1), text(a, 2));
         return Variant();
       }},
      {u"Close", com::kGet, 0, 0,
       [](C& c, A&) {
         c.Close();
         return Variant();
       }},
      {u"Execute", com::kGet, 1, 3,
       [](C& c, A& a) {
         Variant* affected = a.IsMissing(1) ? nullptr : &a[1];
         return c.Execute(vb::CStr(a[0]), affected, a.IsMissing(2) ? -1 : vb::CLng(a[2]));
       }},
      {u"BeginTrans", com::kGet, 0, 0, [](C& c, A&) { return Variant(static_cast<int32_t>(c.BeginTrans())); }},
      {u"CommitTrans", com::kGet, 0, 0,
       [](C& c, A&) {
         c.CommitTrans();
         return Variant();
       }},
      {u"RollbackTrans", com::kGet, 0, 0,
       [](C& c, A&) {
         c.RollbackTrans();
         return Variant();
       }},
      {u"State", com::kGet, 0, 0, [](C& c, A&) { return Variant(static_cast<int32_t>(c.State())); }},
      {u"Provider", com::kGet, 0, 0, [](C& c, A&) { return Variant(c.Provider()); }},
      {u"Provider", com::kLet, 1, 1,
       [](C& c, A& a) {
         c.SetProvider(vb::CStr(a[0]));
         return Variant();
       }},
      {u"Errors", com::kGet, 0, 0, [](C& c, A&) { return Variant(c.errors_); }},
      timeout.first, timeout.second, command_timeout.first, command_timeout.second,
      mode.first, mode.second, location.first, location.second,
      {u"Version", com::kGet, 0, 0, [](C&, A&) { return Variant(String(u"2.8")); }},
      {u"IsolationLevel", com::kGet, 0, 0, [](C&, A&) { return Variant(int32_t{4096}); }},
      {u"Attributes", com::kGet, 0, 0, [](C&, A&) { return Variant(int32_t{0}); }},
      {u"DefaultDatabase", com::kGet, 0, 0, [](C& c, A&) { return Variant(c.DefaultDatabase()); }},
      {u"DefaultDatabase", com::kLet, 1, 1,
       [](C& c, A& a) {
         c.SetDefaultDatabase(vb::CStr(a[0]));
         return Variant();
       }},
      {u"Cancel", com::kGet, 0, 0, [](C&, A&) { return Variant(); }},
      {u"OpenSchema", com::kGet, 1, 3,
       [](C& c, A& a) {
         if (!c.session_) RaiseAdo(kErrObjectClosed, kSourceConnection);
         QueryResult r = Schema(*c.session_, vb::CLng(a[0]), a.Or(1, Variant()));
         return Variant(Recordset::FromResult(std::static_pointer_cast<Connection>(c.shared_from_this()), std::move(r)));
       }},
  };
  return table;
}

}  // namespace ado
