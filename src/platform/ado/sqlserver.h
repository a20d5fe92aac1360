#pragma once
// The SQL Server providers (SQLOLEDB and the SQL Server ODBC driver) as an
// adapter over a driver interface: FreeTDS in production, a scripted driver
// in tests.
#include <memory>
#include <string>
#include <vector>

#include "platform/ado/connection_string.h"
#include "platform/ado/provider.h"

namespace ado {

struct SqlServerLogin {
  std::string host;      // "127.0.0.1", "db.school"
  int port = 0;          // 0: the default (or the instance's)
  std::string instance;  // "SQLEXPRESS" from "host\SQLEXPRESS"
  std::string user;
  std::string password;
  std::string database;
  int login_timeout_seconds = 15;
};

struct SqlServerColumn {
  String name;
  int type = 202;  // ADO DataTypeEnum
  int32_t defined_size = 0;
};

// What one statement gave back: the rows of its first result set, or the
// number of rows it changed.
struct SqlServerResult {
  bool returns_rows = false;
  std::vector<SqlServerColumn> columns;
  std::vector<std::vector<Variant>> rows;
  int64_t rows_affected = -1;
};

// One connection to a server.
class SqlServerLink {
 public:
  virtual ~SqlServerLink() = default;
  // Raises ProviderError with the server's message when the statement fails.
  virtual SqlServerResult Execute(const String& sql) = 0;
};

class SqlServerDriver {
 public:
  virtual ~SqlServerDriver() = default;
  // Raises ProviderError (0x80004005) with a clear message when the server
  // cannot be reached or refuses the login.
  virtual std::unique_ptr<SqlServerLink> Connect(const SqlServerLogin& login) = 0;
};

// The driver that the providers use (FreeTDS unless a test sets another;
// null restores FreeTDS).
void SetSqlServerDriver(std::shared_ptr<SqlServerDriver> driver);
std::shared_ptr<SqlServerDriver> CurrentSqlServerDriver();
std::shared_ptr<SqlServerDriver> MakeFreeTdsDriver();

// The login that a connection string describes ("data source=host,port",
// "User Id", "pwd", "initial Catalog" and their other spellings).
SqlServerLogin LoginOf(const ConnectionString& cs, StringView user, StringView password);

std::unique_ptr<Session> OpenSqlServerSession(ProviderId provider, const ConnectionString& cs, StringView user,
                                              StringView password);

}  // namespace ado
