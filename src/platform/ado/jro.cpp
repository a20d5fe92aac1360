#include "platform/ado/jro.h"

#include <sqlite3.h>

#include "platform/ado/errors.h"
#include "platform/ado/jet_catalog.h"
#include "platform/ado/providers.h"
#include "platform/ado/sqlite_session.h"
#include "platform/vb/convert.h"

namespace ado {
namespace {

constexpr char16_t kPasswordSetting[] = u"Password";

struct Endpoint {
  ConnectionString cs;
  String source;  // the engine, for messages
  String path;
  std::filesystem::path host;
};

Endpoint EndpointOf(vb::StringView connection_string) {
  Endpoint e{ConnectionString::Parse(connection_string), {}, {}, {}};
  std::optional<ProviderId> id = ProviderOf(e.cs, u"");
  if (!id || !IsProviderInstalled(*id)) RaiseAdo(kErrProviderNotFound, u"JRO.JetEngine");
  if (!IsFileProvider(*id)) RaiseAdo(kErrFeatureNotAvailable, u"JRO.JetEngine");
  e.source = EngineSource(*id);
  e.path = DataSourceOf(e.cs);
  e.host = HostFileOf(e.path, e.source);
  return e;
}

std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

}  // namespace

void JetEngine::CompactDatabase(vb::StringView source, vb::StringView destination) {
  Endpoint from = EndpointOf(source);
  Endpoint to = EndpointOf(destination);
  std::error_code ec;
  if (std::filesystem::exists(to.host, ec)) RaiseProvider(kDbDatabaseExists, u"Database already exists.", to.source);
  auto db = Database::Open(from.host, Database::Mode::kOpenExisting, from.path, from.source);
  if (catalog::ReadSetting(*db, kPasswordSetting) != from.cs.Get({u"Jet OLEDB:Database Password"}).value_or(u""))
    RaiseProvider(kDbBadPassword, u"Not a valid password.", from.source);
  db->Exec("VACUUM INTO " + Quoted(to.host.string()));
  auto copy = Database::Open(to.host, Database::Mode::kOpenExisting, to.path, to.source);
  String password = to.cs.Get({u"Jet OLEDB:Database Password"}).value_or(u"");
  if (password != catalog::ReadSetting(*copy, kPasswordSetting)) catalog::WriteSetting(*copy, kPasswordSetting, password);
}

void ReplaceDatabase(const std::filesystem::path& target, const std::filesystem::path& replacement) {
  sqlite3* from = nullptr;
  sqlite3* to = nullptr;
  ConfigureSqlite();
  auto fail = [&](const std::string& what) {
    std::string message = what + ": " + (to ? sqlite3_errmsg(to) : from ? sqlite3_errmsg(from) : "");
    sqlite3_close_v2(from);
    sqlite3_close_v2(to);
    RaiseProvider(kEFail, vb::FromUtf8(message), u"Microsoft JET Database Engine");
  };
  if (sqlite3_open_v2(replacement.c_str(), &from, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
    fail("cannot open " + replacement.string());
  if (sqlite3_open_v2(target.c_str(), &to, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
    fail("cannot open " + target.string());
  sqlite3_busy_timeout(to, 10000);
  sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
  if (!backup) fail("cannot copy into " + target.string());
  int rc;
  // All pages in one step: the target is locked once, for the whole copy.
  // A writer holding the target is waited for, as long as a statement waits.
  for (int waited_ms = 0; (rc = sqlite3_backup_step(backup, -1)) == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED;
       waited_ms += 20) {
    if (waited_ms >= 10000) break;
    sqlite3_sleep(20);
  }
  sqlite3_backup_finish(backup);
  if (rc != SQLITE_DONE) fail("cannot copy into " + target.string());
  sqlite3_close_v2(from);
  sqlite3_close_v2(to);
  std::error_code ec;
  std::filesystem::remove(replacement, ec);
}

const com::MemberTable<JetEngine>& JetEngine::Members() {
  using A = com::ArgList;
  static const com::MemberTable<JetEngine> table = {
      {u"CompactDatabase", com::kGet, 2, 2,
       [](JetEngine& e, A& a) {
         e.CompactDatabase(vb::CStr(a[0]), vb::CStr(a[1]));
         return vb::Variant();
       }},
      {u"RefreshCache", com::kGet, 1, 1, [](JetEngine&, A&) { return vb::Variant(); }},
  };
  return table;
}

}  // namespace ado
