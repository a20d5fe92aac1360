#include "platform/ado/providers.h"

#include <algorithm>
#include <mutex>

#include "platform/ado/database_pool.h"
#include "platform/ado/errors.h"
#include "platform/ado/jet_catalog.h"
#include "platform/ado/sqlite_session.h"
#include "platform/ado/sqlserver.h"
#include "platform/fs/paths.h"

namespace ado {
namespace {

struct Installed {
  std::mutex mutex;
  std::vector<ProviderId> ids = {ProviderId::kJet4,      ProviderId::kAce12,         ProviderId::kAce16,
                                 ProviderId::kSqlOleDb, ProviderId::kSqlServerOdbc, ProviderId::kAccessOdbc,
                                 ProviderId::kJet351};
};

Installed& installed() {
  static Installed state;
  return state;
}

constexpr char16_t kPasswordSetting[] = u"Password";

}  // namespace

void SetInstalledProviders(std::vector<ProviderId> ids) {
  std::lock_guard lock(installed().mutex);
  installed().ids = std::move(ids);
}

void InstallAllProviders() { SetInstalledProviders(Installed().ids); }

bool IsProviderInstalled(ProviderId id) {
  std::lock_guard lock(installed().mutex);
  const auto& ids = installed().ids;
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

String DataSourceOf(const ConnectionString& cs) {
  return cs.Get({u"Data Source", u"DBQ", u"DataSource"}).value_or(String());
}

std::filesystem::path HostFileOf(StringView windows_path, StringView engine_source) {
  try {
    return fs::ToHostPath(windows_path);
  } catch (const vb::Error&) {
    RaiseProvider(kEFail, u"Could not find file '" + String(windows_path) + u"'.", String(engine_source));
  }
}

std::unique_ptr<Session> OpenSession(const ConnectionString& cs, StringView provider_property, StringView user,
                                     StringView password) {
  std::optional<ProviderId> id = ProviderOf(cs, provider_property);
  if (!id || !IsProviderInstalled(*id)) RaiseAdo(kErrProviderNotFound, kSourceConnection);
  if (!IsFileProvider(*id)) return OpenSqlServerSession(*id, cs, user, password);

  String source = EngineSource(*id);
  String path = DataSourceOf(cs);
  std::filesystem::path host = HostFileOf(path, source);
  String mode = cs.Get({u"Mode"}).value_or(String());
  bool read_only = vb::EqualsNoCase(mode, u"Read") || vb::EqualsNoCase(mode, u"1");
  auto db = OpenPooled(host, read_only ? Database::Mode::kReadOnly : Database::Mode::kOpenExisting, path, source);
  // A database with a password opens only with it (an access check; the
  // file itself is not enciphered). The open has just read the file.
  String stored = db->Catalog().Setting(*db, kPasswordSetting);
  String given = cs.Get({u"Jet OLEDB:Database Password"}).value_or(String());
  if (stored != given) RaiseProvider(kDbBadPassword, u"Not a valid password.", source);
  return std::make_unique<SqliteSession>(*id, std::move(db));
}

}  // namespace ado
