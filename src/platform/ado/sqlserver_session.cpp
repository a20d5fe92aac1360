#include <mutex>

#include "platform/ado/errors.h"
#include "platform/ado/memory_rows.h"
#include "platform/ado/sqlserver.h"
#include "platform/vb/convert.h"

namespace ado {
namespace {

constexpr char16_t kSource[] = u"Microsoft OLE DB Provider for SQL Server";
constexpr int32_t kCommandTextNotSet = static_cast<int32_t>(0x80040E0Cu);

struct DriverSlot {
  std::mutex mutex;
  std::shared_ptr<SqlServerDriver> driver;
};

DriverSlot& slot() {
  static DriverSlot s;
  return s;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::string Trimmed(StringView s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return vb::ToUtf8(s);
}

class SqlServerSession : public Session {
 public:
  SqlServerSession(ProviderId provider, std::unique_ptr<SqlServerLink> link)
      : provider_(provider), link_(std::move(link)) {}

  ProviderId Provider() const override { return provider_; }

  QueryResult Execute(StringView sql, CursorType, bool) override {
    // The provider sends no empty batch; it refuses it as a command without text.
    if (Trimmed(sql).find_first_not_of("\r\n") == std::string::npos)
      RaiseProvider(kCommandTextNotSet, u"Command text was not set for the command object.", kSource);
    SqlServerResult r = link_->Execute(String(sql));
    QueryResult out;
    out.records_affected = r.rows_affected;
    if (!r.returns_rows) return out;
    std::vector<FieldInfo> fields;
    for (const auto& c : r.columns) {
      FieldInfo f;
      f.name = c.name;
      f.type = c.type;
      f.defined_size = c.defined_size;
      f.attributes = 0x20 | 0x40;  // nullable, may be null
      fields.push_back(std::move(f));
    }
    std::vector<RowData> rows;
    rows.reserve(r.rows.size());
    for (auto& values : r.rows) rows.push_back(RowData{0, false, std::move(values)});
    out.rows = std::make_unique<MemoryRows>(std::move(fields), std::move(rows));
    out.cursor = CursorType::kStatic;
    return out;
  }

  int BeginTrans() override {
    link_->Execute(level_ == 0 ? u"BEGIN TRANSACTION" : u"SAVE TRANSACTION qe_" + Level(level_ + 1));
    return ++level_;
  }
  void CommitTrans() override {
    if (level_ == 0) RaiseProvider(kNoTransaction, u"No transaction is active.", kSource);
    if (level_ == 1) link_->Execute(u"COMMIT TRANSACTION");
    --level_;
  }
  void RollbackTrans() override {
    if (level_ == 0) RaiseProvider(kNoTransaction, u"No transaction is active.", kSource);
    link_->Execute(level_ == 1 ? u"ROLLBACK TRANSACTION" : u"ROLLBACK TRANSACTION qe_" + Level(level_));
    --level_;
  }
  int TransactionLevel() const override { return level_; }

 private:
  static String Level(int n) { return vb::FromUtf8(std::to_string(n)); }
  ProviderId provider_;
  std::unique_ptr<SqlServerLink> link_;
  int level_ = 0;
};

}  // namespace

void SetSqlServerDriver(std::shared_ptr<SqlServerDriver> driver) {
  std::lock_guard lock(slot().mutex);
  slot().driver = std::move(driver);
}

std::shared_ptr<SqlServerDriver> CurrentSqlServerDriver() {
  std::lock_guard lock(slot().mutex);
  if (!slot().driver) slot().driver = MakeFreeTdsDriver();
  return slot().driver;
}

SqlServerLogin LoginOf(const ConnectionString& cs, StringView user, StringView password) {
  SqlServerLogin login;
  String server = cs.Get({u"Data Source", u"Server", u"Address", u"Addr", u"Network Address"}).value_or(u"");
  std::string text = Trimmed(server);
  if (text.rfind("tcp:", 0) == 0) text.erase(0, 4);
  size_t comma = text.find(',');
  if (comma != std::string::npos) {
    login.port = std::atoi(text.c_str() + comma + 1);
    text.erase(comma);
  }
  size_t slash = text.find('\\');
  if (slash != std::string::npos) {
    login.instance = text.substr(slash + 1);
    text.erase(slash);
  }
  if (text.empty() || text == "." || text == "(local)" || text == "(localdb)") text = "127.0.0.1";
  login.host = text;
  login.user = user.empty() ? Trimmed(cs.Get({u"User Id", u"UID", u"User ID", u"User"}).value_or(u""))
                            : vb::ToUtf8(user);
  login.password = password.empty() ? vb::ToUtf8(cs.Get({u"pwd", u"Password"}).value_or(u"")) : vb::ToUtf8(password);
  login.database = Trimmed(cs.Get({u"Initial Catalog", u"Database"}).value_or(u""));
  if (auto timeout = cs.Get({u"Connect Timeout", u"Connection Timeout", u"Timeout"})) {
    double seconds = 0;
    if (vb::ParseNumber(*timeout, seconds) && seconds > 0) login.login_timeout_seconds = static_cast<int>(seconds);
  }
  return login;
}

std::unique_ptr<Session> OpenSqlServerSession(ProviderId provider, const ConnectionString& cs, StringView user,
                                              StringView password) {
  String integrated = cs.Get({u"Integrated Security", u"Trusted_Connection"}).value_or(u"");
  if (vb::EqualsNoCase(integrated, u"SSPI") || vb::EqualsNoCase(integrated, u"yes") ||
      vb::EqualsNoCase(integrated, u"true"))
    RaiseProvider(kEFail, u"Login failed: integrated security is not available on this server; give a user id "
                          u"and password.", kSource);
  SqlServerLogin login = LoginOf(cs, user, password);
  return std::make_unique<SqlServerSession>(provider, CurrentSqlServerDriver()->Connect(login));
}

}  // namespace ado
