#pragma once
// A SQL Server driver that answers from a script and keeps what it was asked:
// logins, statements, and the rows to give back for given statements. Like
// the server, it refuses BACKUP, RESTORE and CREATE DATABASE inside a
// transaction, and it refuses the statements a test names.
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "platform/ado/errors.h"
#include "platform/ado/sqlserver.h"
#include "platform/vb/strings.h"

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
  std::set<vb::String> failing;  // statements the server refuses
  std::vector<vb::String> failing_starts;  // and those that begin so

  // An answer of one column and the given rows, for a query.
  static ado::SqlServerResult Rows(vb::StringView column, std::vector<vb::Variant> values) {
    ado::SqlServerResult r;
    r.returns_rows = true;
    r.columns.push_back({vb::String(column), 3, 4});
    for (auto& v : values) r.rows.push_back({v});
    return r;
  }

 private:
  static bool StartsNoCase(const vb::String& sql, vb::StringView word) {
    vb::String head = vb::LCase(vb::Trim(sql)).substr(0, word.size());
    return head == word;
  }
  struct Link : ado::SqlServerLink {
    explicit Link(ScriptedDriver* d) : driver(d) {}
    ado::SqlServerResult Execute(const vb::String& sql) override {
      driver->statements.push_back(sql);
      if (sql == u"BEGIN TRANSACTION") in_transaction = true;
      if (StartsNoCase(sql, u"commit") || StartsNoCase(sql, u"rollback")) in_transaction = false;
      if (in_transaction && (StartsNoCase(sql, u"backup ") || StartsNoCase(sql, u"restore ") ||
                             StartsNoCase(sql, u"create database")))
        ado::RaiseProvider(ado::kDbErrorsInCommand,
                           u"The statement is not allowed within multi-statement transaction.",
                           u"Microsoft OLE DB Provider for SQL Server");
      bool refused = driver->failing.count(sql) > 0;
      for (const vb::String& start : driver->failing_starts) refused = refused || sql.starts_with(start);
      if (refused)
        ado::RaiseProvider(ado::kDbErrorsInCommand, u"The server refused the statement.",
                           u"Microsoft OLE DB Provider for SQL Server");
      auto it = driver->answers.find(sql);
      if (it != driver->answers.end()) return it->second;
      ado::SqlServerResult none;
      none.rows_affected = 1;
      return none;
    }
    ScriptedDriver* driver;
    bool in_transaction = false;
  };
};

}  // namespace test_sql_server
