#pragma once
// A SQL Server driver that answers from a script and keeps what it was asked:
// logins, statements, and the rows to give back for given statements.
#include <map>
#include <memory>
#include <vector>

#include "platform/ado/errors.h"
#include "platform/ado/sqlserver.h"

namespace test_sql_server {

class ScriptedDriver : public ado::SqlServerDriver {
 public:
  // The password "wrong" is refused as the server refuses a login.
  std::unique_ptr<ado::SqlServerLink> Connect(const ado::SqlServerLogin& login) override {
    logins.push_back(login);
    if (login.password == "wrong")
      ado::RaiseProvider(ado::kEFail, u"Login failed for user 'sa'.", u"Microsoft OLE DB Provider for SQL Server");
    return std::make_unique<Link>(this);
  }
  std::vector<ado::SqlServerLogin> logins;
  std::vector<vb::String> statements;
  std::map<vb::String, ado::SqlServerResult> answers;

 private:
  struct Link : ado::SqlServerLink {
    explicit Link(ScriptedDriver* d) : driver(d) {}
    ado::SqlServerResult Execute(const vb::String& sql) override {
      driver->statements.push_back(sql);
      auto it = driver->answers.find(sql);
      if (it != driver->answers.end()) return it->second;
      ado::SqlServerResult none;
      none.rows_affected = 1;
      return none;
    }
    ScriptedDriver* driver;
  };
};

}  // namespace test_sql_server
